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
  throw MakeIniWriteError(path_, FrenchSystemErrorText(ELOOP));
}

std::string AtomicFileWriter::TemporaryTemplate() const {
  std::string name = std::filesystem::path(target_).filename().string();
  if (name.size() > 200) name = "vellumo";
  return FolderOf(target_) + "/." + name + ".XXXXXX";
}

void AtomicFileWriter::Write(std::string_view bytes) const {
  const auto fail = [this](int errorNumber) { return MakeIniWriteError(path_, FrenchSystemErrorText(errorNumber)); };

  struct stat info {};
  const bool exists = ::stat(target_.c_str(), &info) == 0;
  if (!exists && errno != ENOENT) throw fail(errno);
  mode_t mode = 0666 & ~CurrentUmask();
  if (exists) {
    if (!S_ISREG(info.st_mode)) throw MakeIniWriteError(path_, "ce n'est pas un fichier ordinaire");
    // Windows refuses to replace a read-only file; so do we, root or not.
    if ((info.st_mode & 0222) == 0) throw MakeIniWriteError(path_, "le fichier est en lecture seule");
    if (::access(target_.c_str(), W_OK) != 0) throw fail(errno);
    mode = info.st_mode & 07777;
  }

  std::string temporaryPath = TemporaryTemplate();
  const int fd = ::mkostemp(temporaryPath.data(), O_CLOEXEC);
  if (fd < 0) throw fail(errno);
  TemporaryFile temporary(temporaryPath, fd);

  if (exists && (info.st_uid != ::geteuid() || info.st_gid != ::getegid())) {
    // Only root can give the file back to its owner; others keep theirs.
    [[maybe_unused]] const int ignored = ::fchown(fd, info.st_uid, info.st_gid);
  }
  if (::fchmod(fd, mode) != 0) throw fail(errno);
  if (!WriteAll(fd, bytes)) throw fail(errno);
  if (::fsync(fd) != 0) throw fail(errno);
  if (temporary.Close() != 0) throw fail(errno);
  if (::rename(temporary.Path().c_str(), target_.c_str()) != 0) throw fail(errno);
  temporary.MarkRenamed();
  SyncFolder(FolderOf(target_));
}

}  // namespace vellumo
