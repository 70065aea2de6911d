#pragma once
// What the program needs from files: read the host's file, change it so that
// a crash never leaves it half-written, copy the document for the manual
// save. The run reaches files through one FileSystem object, so that tests
// can watch it; each platform has its own side (platform/posix/, ...).
//
// Paths are the program's own strings, never decoded here: bytes on POSIX,
// UTF-8 converted to wide paths on Windows. Error numbers are errno values
// (ENOENT, EACCES, ...); a side whose system speaks otherwise maps to them.
#include <functional>
#include <optional>
#include <string>

namespace vellumo {

// A whole file, read at once.
struct FileBytes {
  bool exists = false;
  int error = 0;  // why an existing path could not be read, 0 on success
  std::string bytes;
};

// Why a file was not changed.
enum class FileRefusal {
  None,
  SystemError,     // see FileStatus::error
  NotRegularFile,  // a folder, a pipe, a device
  ReadOnly,        // the file's mode has no write bit at all: refused even for root
};

struct FileStatus {
  FileRefusal refusal = FileRefusal::None;
  int error = 0;
  bool Done() const { return refusal == FileRefusal::None; }
};

enum class CopyResult {
  Copied,
  Failed,
  DestinationReadOnly,  // a read-only file of that name is there and stays
};

// Given the file's bytes as they are now, the bytes to put in their place,
// or nothing to leave the file alone. May throw; the file is then unchanged.
using FileEdit = std::function<std::optional<std::string>(const FileBytes& now)>;

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // A missing file gives exists = false and no error. A path that is not a
  // regular file (folder, pipe, device) exists with error EISDIR or EINVAL;
  // it is never opened in a way that could block.
  virtual FileBytes ReadFile(const std::string& path) = 0;

  // Reads the file and replaces its content with what `edit` makes of it,
  // in one go, so that the change is always made on the bytes the file
  // holds at that moment. Symbolic links are followed and stay. The file
  // keeps its identity: mode, owner, other hard links; a crash leaves the
  // old or the new content, except where only an in-place write can keep
  // the identity (a folder we may not write, another owner, hard links). A
  // missing file is created with the usual mode (the umask applies).
  virtual FileStatus EditFile(const std::string& path, const FileEdit& edit) = 0;

  // Copies the regular file `source` to `destination`, replacing an
  // existing destination unless it is read-only, never blocking on a pipe.
  // Unless the copy is made whole, the destination is as it was; the source
  // is never touched, nor copied onto itself. A replaced file keeps its
  // mode bits; a new one gets the usual ones.
  virtual CopyResult CopyFile(const std::string& source, const std::string& destination) = 0;
};

// The platform's own file system.
FileSystem& NativeFileSystem();

}  // namespace vellumo
