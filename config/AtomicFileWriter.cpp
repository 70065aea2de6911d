#include "config/AtomicFileWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "config/IniWriteFailure.h"

namespace vellumo {
namespace {

constexpr int kMaxLinks = 40;

mode_t CurrentUmask() {
  // Read rather than set and restore, which would briefly change it for
  // the whole process.
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("Umask:", 0) == 0) return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
  }
  return 022;
}

// The temporary file, removed unless it has been renamed into place.
class TemporaryFile {
 public:
  TemporaryFile(std::string path, int fd) : path_(std::move(path)), fd_(fd) {}
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!renamed_) ::unlink(path_.c_str());
  }

  int Fd() const { return fd_; }
  const std::string& Path() const { return path_; }
  int Close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result;
  }
  void MarkRenamed() { renamed_ = true; }

 private:
  std::string path_;
  int fd_;
  bool renamed_ = false;
};

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t count = ::write(fd, bytes.data(), bytes.size());
    if (count < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(count));
  }
  return true;
}

bool WriteAllAt(int fd, std::string_view bytes, off_t offset) {
  while (!bytes.empty()) {
    const ssize_t count = ::pwrite(fd, bytes.data(), bytes.size(), offset);
    if (count < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(count));
    offset += count;
  }
  return true;
}

void SyncFolder(const std::string& folder) {
  // Makes the rename itself durable; a failure here leaves a complete file
  // either way, so it is not reported.
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  [[maybe_unused]] const int ignored = ::fsync(fd);
  ::close(fd);
}

std::string FolderOf(const std::string& file) {
  const std::string folder = std::filesystem::path(file).parent_path().string();
  return folder.empty() ? "." : folder;
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(std::string path) : path_(std::move(path)), target_(ResolveLinks()) {}

std::string AtomicFileWriter::ResolveLinks() const {
  std::filesystem::path current(path_);
  for (int hops = 0; hops < kMaxLinks; ++hops) {
    struct stat info {};
    // A missing or unreachable path is written as it is; the write then
    // reports why it cannot be.
    if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return current.string();
    std::error_code error;
    const std::filesystem::path link = std::filesystem::read_symlink(current, error);
    if (error) throw MakeIniWriteError(path_, FrenchSystemErrorText(error.value()));
    current = link.is_absolute() ? link : current.parent_path() / link;
  }
  throw Failure(ELOOP);
}

std::string AtomicFileWriter::TemporaryTemplate() const {
  std::string name = std::filesystem::path(target_).filename().string();
  if (name.size() > 200) name = "vellumo";
  return FolderOf(target_) + "/." + name + ".XXXXXX";
}

void AtomicFileWriter::Write(std::string_view bytes) const {
  struct stat info {};
  const bool exists = ::stat(target_.c_str(), &info) == 0;
  if (!exists && errno != ENOENT) throw Failure(errno);
  if (exists) {
    if (!S_ISREG(info.st_mode)) throw MakeIniWriteError(path_, "ce n'est pas un fichier ordinaire");
    // Windows refuses to replace a read-only file; so do we, root or not.
    if ((info.st_mode & 0222) == 0) throw MakeIniWriteError(path_, "le fichier est en lecture seule");
    if (::access(target_.c_str(), W_OK) != 0) throw Failure(errno);
    // A rename would give the other names of the file the old content.
    if (info.st_nlink > 1) return WriteInPlace(bytes);
  }
  if (!WriteThroughRename(bytes, exists ? &info : nullptr)) WriteInPlace(bytes);
}

bool AtomicFileWriter::WriteThroughRename(std::string_view bytes,
                                          const struct stat* existing) const {
  std::string temporaryPath = TemporaryTemplate();
  const int fd = ::mkostemp(temporaryPath.data(), O_CLOEXEC);
  if (fd < 0) {
    // A folder we may not write still holds a file we may.
    if (existing && (errno == EACCES || errno == EPERM)) return false;
    throw Failure(errno);
  }
  TemporaryFile temporary(temporaryPath, fd);

  mode_t mode = 0666 & ~CurrentUmask();
  if (existing) {
    mode = existing->st_mode & 07777;
    // Only root can give the file back to another owner; where that cannot
    // be done the file is written where it is, so that it stays theirs.
    if ((existing->st_uid != ::geteuid() || existing->st_gid != ::getegid()) &&
        ::fchown(fd, existing->st_uid, existing->st_gid) != 0) {
      return false;
    }
  }
  if (::fchmod(fd, mode) != 0) throw Failure(errno);
  if (!WriteAll(fd, bytes)) throw Failure(errno);
  if (::fsync(fd) != 0) throw Failure(errno);
  if (temporary.Close() != 0) throw Failure(errno);
  if (::rename(temporary.Path().c_str(), target_.c_str()) != 0) throw Failure(errno);
  temporary.MarkRenamed();
  SyncFolder(FolderOf(target_));
  return true;
}

void AtomicFileWriter::WriteInPlace(std::string_view bytes) const {
  const int fd = ::open(target_.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) throw Failure(errno);
  const auto fail = [&](int errorNumber) {
    ::close(fd);
    return Failure(errorNumber);
  };
  struct stat info {};
  if (::fstat(fd, &info) != 0) throw fail(errno);
  if (!S_ISREG(info.st_mode)) throw fail(EINVAL);

  // Only the bytes from the first change on are written, so that a crash
  // midway leaves the least possible torn; the marker mostly adds at the end.
  std::string current;
  current.resize(static_cast<std::size_t>(info.st_size));
  const ssize_t read = ::pread(fd, current.data(), current.size(), 0);
  if (read < 0) throw fail(errno);
  current.resize(static_cast<std::size_t>(read));
  std::size_t same = 0;
  while (same < current.size() && same < bytes.size() && current[same] == bytes[same]) ++same;

  if (!WriteAllAt(fd, bytes.substr(same), static_cast<off_t>(same))) throw fail(errno);
  if (::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0) throw fail(errno);
  if (::fsync(fd) != 0) throw fail(errno);
  if (::close(fd) != 0) throw Failure(errno);
}

IniWriteError AtomicFileWriter::Failure(int errorNumber) const {
  return MakeIniWriteError(path_, FrenchSystemErrorText(errorNumber));
}

}  // namespace vellumo
