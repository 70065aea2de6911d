// The Windows side of the file seam: UTF-8 paths become wide ones here, and
// only here.
#include <cerrno>

#include "platform/FileSystem.h"
#include "platform/RegularFile.h"
#include "platform/windows/FileHandle.h"
#include "platform/windows/FileReplacement.h"
#include "platform/windows/Utf16.h"

namespace vellumo {
namespace {

class WindowsFileSystem : public FileSystem {
 public:
  FileBytes ReadFile(const std::string& path) override {
    FileBytes result;
    RegularFile file(path);
    if (!file.IsOpen()) {
      result.exists = file.Error() != ENOENT;
      result.error = result.exists ? file.Error() : 0;
      return result;
    }
    result.exists = true;
    result.bytes.reserve(static_cast<std::size_t>(file.Size()));
    if (!windows::ReadToEnd(file, result.bytes)) {
      result.error = errno;
      result.bytes.clear();
    }
    return result;
  }

  FileStatus EditFile(const std::string& path, const FileEdit& edit) override {
    int error = 0;
    const std::wstring target = windows::ResolveLinks(windows::WidePath(path), error);
    if (error != 0) return {FileRefusal::SystemError, error};
    const FileBytes now = ReadFile(windows::Utf8(target));
    if (now.error != 0) return {FileRefusal::SystemError, now.error};
    const std::optional<std::string> updated = edit(now);
    if (!updated) return {};
    return windows::ReplaceFile(target, {*updated}, windows::Replacement::KeepIdentity);
  }

  CopyResult CopyFile(const std::string& source, const std::string& destination) override {
    const std::wstring target = windows::WidePath(destination);
    if (windows::SameFile(windows::WidePath(source), target)) return CopyResult::Failed;
    RegularFile from(source);
    if (!from.IsOpen()) return CopyResult::Failed;
    const FileStatus status =
        windows::ReplaceFile(target, {{}, &from}, windows::Replacement::AllOrNothing);
    if (status.refusal == FileRefusal::ReadOnly) return CopyResult::DestinationReadOnly;
    return status.Done() ? CopyResult::Copied : CopyResult::Failed;
  }
};

}  // namespace

FileSystem& NativeFileSystem() {
  static WindowsFileSystem files;
  return files;
}

}  // namespace vellumo
