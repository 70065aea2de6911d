#pragma once
// A Windows file handle closed when it goes, paths in the form the wide API
// takes, and whole writes.
#include <string>
#include <string_view>

#include "platform/windows/WindowsApi.h"

namespace vellumo::windows {

class FileHandle {
 public:
  explicit FileHandle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
  ~FileHandle();
  FileHandle(FileHandle&& other) noexcept : handle_(other.handle_) {
    other.handle_ = INVALID_HANDLE_VALUE;
  }
  FileHandle& operator=(FileHandle&& other) noexcept;
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  HANDLE Get() const { return handle_; }
  bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
  // Closes now; false, with the last error set, when it fails.
  bool Close();

 private:
  HANDLE handle_;
};

// The wide path of a UTF-8 path. A long one is made absolute and given the
// \\?\ prefix, so that it is not cut at MAX_PATH.
std::wstring WidePath(const std::string& path);

// The errno value of a failed look at `path`: ENOTDIR rather than ENOENT
// when what stands in the path's way is a file, as POSIX says.
int PathErrno(const std::wstring& path, DWORD error);

// Opens an existing file with the given access and sharing, following
// links; `flags` as CreateFileW takes them (FILE_FLAG_BACKUP_SEMANTICS
// opens a folder too).
FileHandle OpenExisting(const std::wstring& path, DWORD access, DWORD sharing, DWORD flags = 0);

// True for a regular file on a disk: not a folder, pipe, console or device.
bool IsDiskFile(HANDLE handle);

// Writes every byte at the current position; false, with the last error
// set, when a write fails.
bool WriteAll(HANDLE handle, std::string_view bytes);

}  // namespace vellumo::windows
