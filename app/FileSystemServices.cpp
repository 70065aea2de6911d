#include "app/FileSystemServices.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <thread>
#include <vector>

namespace vellumo {

namespace fs = std::filesystem;

namespace {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

bool CopyContent(int from, int to) {
  std::vector<char> buffer(1 << 16);
  for (;;) {
    const ssize_t got = ::read(from, buffer.data(), buffer.size());
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (got == 0) return true;
    if (!WriteAll(to, buffer.data(), static_cast<std::size_t>(got))) return false;
  }
}

// Creates a new file next to the destination for the copy in progress,
// asking for the usual mode so that the umask applies as to any new file.
int CreateTemporary(const fs::path& folder, const std::string& name, std::string& path) {
  // A long name is left out: the temporary one must stay within the
  // 255-byte limit of a file name.
  const std::string base = "." + (name.size() > 200 ? std::string("vellumo") : name) + ".";
  std::minstd_rand random(static_cast<std::uint_fast32_t>(
      std::chrono::steady_clock::now().time_since_epoch().count() ^ ::getpid()));
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(random()));
    path = (folder / (base + suffix)).string();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

bool SameFile(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  return fs::equivalent(a, b, ec) && !ec;
}

}  // namespace

void FileSystemServices::Sleep(int milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

CopyResult FileSystemServices::CopyFile(const std::string& source, const std::string& destination) {
  const fs::path from(source);
  const fs::path to(destination);
  if (SameFile(from, to)) return CopyResult::Failed;

  // Looked at before it is opened: opening a pipe for reading waits for a
  // writer.
  struct stat sourceInfo {};
  if (::stat(source.c_str(), &sourceInfo) != 0 || !S_ISREG(sourceInfo.st_mode)) {
    return CopyResult::Failed;
  }
  FileDescriptor in(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (in.get() < 0) return CopyResult::Failed;
  if (::fstat(in.get(), &sourceInfo) != 0 || !S_ISREG(sourceInfo.st_mode)) {
    return CopyResult::Failed;
  }

  struct stat existing {};
  const bool replacing = ::stat(destination.c_str(), &existing) == 0;
  if (!replacing && errno != ENOENT) return CopyResult::Failed;
  if (replacing) {
    if (!S_ISREG(existing.st_mode)) return CopyResult::Failed;
    // Windows will not overwrite a read-only file; neither do we, root or not.
    if ((existing.st_mode & 0222) == 0) return CopyResult::DestinationReadOnly;
    if (::access(destination.c_str(), W_OK) != 0) return CopyResult::Failed;
  }

  fs::path folder = to.parent_path();
  if (folder.empty()) folder = ".";
  std::string temporary;
  FileDescriptor out(CreateTemporary(folder, to.filename().string(), temporary));
  if (out.get() < 0) return CopyResult::Failed;

  bool ok = !replacing || ::fchmod(out.get(), existing.st_mode & 07777) == 0;
  ok = ok && CopyContent(in.get(), out.get());
  ok = ok && ::fsync(out.get()) == 0;
  ok = out.Close() && ok;
  ok = ok && ::rename(temporary.c_str(), destination.c_str()) == 0;
  if (!ok) ::unlink(temporary.c_str());
  return ok ? CopyResult::Copied : CopyResult::Failed;
}

}  // namespace vellumo
