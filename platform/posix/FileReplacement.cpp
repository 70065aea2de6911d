#include "platform/posix/FileReplacement.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/posix/FileDescriptor.h"

namespace vellumo::posix {
namespace {

constexpr int kMaxLinks = 40;

FileStatus Failure(int errorNumber) { return {FileRefusal::SystemError, errorNumber}; }

mode_t CurrentUmask() {
  // Read rather than set and restore, which would briefly change it for
  // the whole process.
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("Umask:", 0) == 0)
      return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
  }
  return 022;
}

std::string FolderOf(const std::string& file) {
  const std::string folder = std::filesystem::path(file).parent_path().string();
  return folder.empty() ? "." : folder;
}

// The one permission rule for replacing an existing file.
FileStatus MayReplace(const std::string& target, const struct stat& info) {
  if (!S_ISREG(info.st_mode)) return {FileRefusal::NotRegularFile, 0};
  // Windows refuses to replace a read-only file; so do we, root or not.
  if ((info.st_mode & 0222) == 0) return {FileRefusal::ReadOnly, 0};
  if (::access(target.c_str(), W_OK) != 0) return Failure(errno);
  return {};
}

// The temporary file, removed unless it has been renamed into place.
class TemporaryFile {
 public:
  explicit TemporaryFile(const std::string& target) {
    // A long name is left out: the temporary one must stay within the
    // 255-byte limit of a file name.
    std::string name = std::filesystem::path(target).filename().string();
    if (name.size() > 200) name = "vellumo";
    path_ = FolderOf(target) + "/." + name + ".XXXXXX";
    fd_ = FileDescriptor(::mkostemp(path_.data(), O_CLOEXEC));
    created_ = fd_.IsOpen();
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile() {
    fd_ = FileDescriptor();
    if (created_ && !renamed_) ::unlink(path_.c_str());
  }

  bool IsOpen() const { return fd_.IsOpen(); }
  int Fd() const { return fd_.Get(); }
  bool Close() { return fd_.Close(); }
  bool RenameTo(const std::string& target) {
    renamed_ = ::rename(path_.c_str(), target.c_str()) == 0;
    return renamed_;
  }

 private:
  std::string path_;
  FileDescriptor fd_;
  bool created_ = false;
  bool renamed_ = false;
};

bool WriteContent(int fd, const NewContent& content) {
  if (!content.from) return WriteAll(fd, content.bytes);
  std::vector<char> buffer(1 << 16);
  for (;;) {
    const std::optional<std::size_t> got = content.from->Read(buffer.data(), buffer.size());
    if (!got) return false;
    if (*got == 0) return true;
    if (!WriteAll(fd, std::string_view(buffer.data(), *got))) return false;
  }
}

void SyncFolder(const std::string& folder) {
  // Makes the rename itself durable; a failure here leaves a complete file
  // either way, so it is not reported.
  const FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd.IsOpen()) return;
  [[maybe_unused]] const int ignored = ::fsync(fd.Get());
}

// Nothing, with nothing changed, when the rename cannot keep the file's
// identity. `existing`: the file's state, or nullptr for a new file.
std::optional<FileStatus> WriteThroughRename(const std::string& target, const NewContent& content,
                                             const struct stat* existing, Replacement how) {
  TemporaryFile temporary(target);
  if (!temporary.IsOpen()) {
    // A folder we may not write still holds a file we may.
    if (how == Replacement::KeepIdentity && existing && (errno == EACCES || errno == EPERM)) {
      return std::nullopt;
    }
    return Failure(errno);
  }

  mode_t mode = 0666 & ~CurrentUmask();
  if (existing) {
    mode = existing->st_mode & 07777;
    // Only root can give the file back to another owner; where that cannot
    // be done the file is written where it is, so that it stays theirs.
    if (how == Replacement::KeepIdentity &&
        (existing->st_uid != ::geteuid() || existing->st_gid != ::getegid()) &&
        ::fchown(temporary.Fd(), existing->st_uid, existing->st_gid) != 0) {
      return std::nullopt;
    }
  }
  if (::fchmod(temporary.Fd(), mode) != 0) return Failure(errno);
  if (!WriteContent(temporary.Fd(), content)) return Failure(errno);
  if (::fsync(temporary.Fd()) != 0) return Failure(errno);
  if (!temporary.Close()) return Failure(errno);
  if (!temporary.RenameTo(target)) return Failure(errno);
  SyncFolder(FolderOf(target));
  return FileStatus{};
}

FileStatus WriteInPlace(const std::string& target, const NewContent& content) {
  std::string bytes;
  if (content.from && !ReadToEnd(*content.from, bytes)) return Failure(errno);
  const std::string_view wanted = content.from ? std::string_view(bytes) : content.bytes;

  FileDescriptor fd(::open(target.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!fd.IsOpen()) return Failure(errno);
  struct stat info {};
  if (::fstat(fd.Get(), &info) != 0) return Failure(errno);
  if (!S_ISREG(info.st_mode)) return Failure(EINVAL);

  // Only the bytes from the first change on are written, so that a crash
  // midway leaves the least possible torn; the marker mostly adds at the end.
  std::string current;
  current.resize(static_cast<std::size_t>(info.st_size));
  const ssize_t read = ::pread(fd.Get(), current.data(), current.size(), 0);
  if (read < 0) return Failure(errno);
  current.resize(static_cast<std::size_t>(read));
  std::size_t same = 0;
  while (same < current.size() && same < wanted.size() && current[same] == wanted[same]) ++same;

  if (!WriteAllAt(fd.Get(), wanted.substr(same), static_cast<off_t>(same))) return Failure(errno);
  if (::ftruncate(fd.Get(), static_cast<off_t>(wanted.size())) != 0) return Failure(errno);
  if (::fsync(fd.Get()) != 0) return Failure(errno);
  if (!fd.Close()) return Failure(errno);
  return {};
}

}  // namespace

FileStatus ReplaceFile(const std::string& target, const NewContent& content, Replacement how) {
  struct stat info {};
  const bool exists = ::stat(target.c_str(), &info) == 0;
  if (!exists && errno != ENOENT) return Failure(errno);
  if (exists) {
    if (const FileStatus refused = MayReplace(target, info); !refused.Done()) return refused;
    // A rename would give the other names of the file the old content.
    if (how == Replacement::KeepIdentity && info.st_nlink > 1) return WriteInPlace(target, content);
  }
  if (const auto status = WriteThroughRename(target, content, exists ? &info : nullptr, how)) {
    return *status;
  }
  return WriteInPlace(target, content);
}

std::string ResolveLinks(const std::string& path, int& error) {
  error = 0;
  std::filesystem::path current(path);
  for (int hops = 0; hops < kMaxLinks; ++hops) {
    struct stat info {};
    // A missing or unreachable path is written as it is; the write then
    // reports why it cannot be.
    if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return current.string();
    std::error_code failure;
    const std::filesystem::path link = std::filesystem::read_symlink(current, failure);
    if (failure) {
      error = failure.value();
      return path;
    }
    current = link.is_absolute() ? link : current.parent_path() / link;
  }
  error = ELOOP;
  return path;
}

bool ReadToEnd(RegularFile& file, std::string& bytes) {
  char buffer[65536];
  for (;;) {
    const std::optional<std::size_t> count = file.Read(buffer, sizeof buffer);
    if (!count) return false;
    if (*count == 0) return true;
    bytes.append(buffer, *count);
  }
}

}  // namespace vellumo::posix
