// The Windows side of RegularFile. The file is opened sharing reading only:
// nobody writes, renames or deletes it while it is read and sent.
#include "platform/RegularFile.h"

#include <algorithm>
#include <cerrno>

#include "platform/windows/FileHandle.h"
#include "platform/windows/SystemError.h"
#include "platform/windows/WindowsApi.h"

namespace vellumo {

struct RegularFile::Handle {
  windows::FileHandle file;
  BY_HANDLE_FILE_INFORMATION atOpen{};
};

namespace {

std::uint64_t SizeOf(const BY_HANDLE_FILE_INFORMATION& info) {
  return (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
}

}  // namespace

RegularFile::RegularFile(const std::string& path) : handle_(std::make_unique<Handle>()) {
  const std::wstring wide = windows::WidePath(path);
  // A folder cannot be opened as a file; say what it is rather than
  // "access denied".
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    error_ = windows::PathErrno(wide, ::GetLastError());
    return;
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    error_ = EISDIR;
    return;
  }
  handle_->file =
      windows::OpenExisting(wide, GENERIC_READ, FILE_SHARE_READ, FILE_FLAG_SEQUENTIAL_SCAN);
  if (!handle_->file.IsOpen()) {
    error_ = windows::LastErrno();
    return;
  }
  // A pipe, a console or a device is never read: a read could wait forever.
  if (!windows::IsDiskFile(handle_->file.Get())) {
    error_ = EINVAL;
  } else if (!::GetFileInformationByHandle(handle_->file.Get(), &handle_->atOpen)) {
    error_ = windows::LastErrno();
  }
  if (error_ != 0) handle_->file = windows::FileHandle();
}

RegularFile::~RegularFile() = default;

std::uint64_t RegularFile::Size() const { return IsOpen() ? SizeOf(handle_->atOpen) : 0; }

std::optional<std::size_t> RegularFile::Read(char* buffer, std::size_t size) {
  if (!IsOpen()) return std::nullopt;
  const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
  DWORD count = 0;
  if (!::ReadFile(handle_->file.Get(), buffer, chunk, &count, nullptr)) {
    errno = windows::LastErrno();
    return std::nullopt;
  }
  return count;
}

bool RegularFile::Rewind() {
  return IsOpen() && ::SetFilePointerEx(handle_->file.Get(), LARGE_INTEGER{}, nullptr, FILE_BEGIN);
}

bool RegularFile::Unchanged() const {
  BY_HANDLE_FILE_INFORMATION now{};
  if (!IsOpen() || !::GetFileInformationByHandle(handle_->file.Get(), &now)) return false;
  return SizeOf(now) == SizeOf(handle_->atOpen) &&
         ::CompareFileTime(&now.ftLastWriteTime, &handle_->atOpen.ftLastWriteTime) == 0;
}

}  // namespace vellumo
