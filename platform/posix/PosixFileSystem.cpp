// The POSIX side of the file seam.
#include <cerrno>
#include <filesystem>

#include "platform/FileSystem.h"
#include "platform/RegularFile.h"
#include "platform/posix/FileReplacement.h"

namespace vellumo {
namespace {

class PosixFileSystem : public FileSystem {
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
    if (!posix::ReadToEnd(file, result.bytes)) {
      result.error = errno;
      result.bytes.clear();
    }
    return result;
  }

  FileStatus EditFile(const std::string& path, const FileEdit& edit) override {
    int error = 0;
    const std::string target = posix::ResolveLinks(path, error);
    if (error != 0) return {FileRefusal::SystemError, error};
    const FileBytes now = ReadFile(target);
    if (now.error != 0) return {FileRefusal::SystemError, now.error};
    const std::optional<std::string> updated = edit(now);
    if (!updated) return {};
    return posix::ReplaceFile(target, {*updated}, posix::Replacement::KeepIdentity);
  }

  CopyResult CopyFile(const std::string& source, const std::string& destination) override {
    std::error_code ec;
    if (std::filesystem::equivalent(source, destination, ec) && !ec) return CopyResult::Failed;
    RegularFile from(source);
    if (!from.IsOpen()) return CopyResult::Failed;
    const FileStatus status =
        posix::ReplaceFile(destination, {{}, &from}, posix::Replacement::AllOrNothing);
    if (status.refusal == FileRefusal::ReadOnly) return CopyResult::DestinationReadOnly;
    return status.Done() ? CopyResult::Copied : CopyResult::Failed;
  }
};

}  // namespace

FileSystem& NativeFileSystem() {
  static PosixFileSystem files;
  return files;
}

}  // namespace vellumo
