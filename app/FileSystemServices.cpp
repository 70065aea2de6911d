#include "app/FileSystemServices.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
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

bool SameFile(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  return fs::equivalent(a, b, ec) && !ec;
}

}  // namespace

void FileSystemServices::Sleep(int milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

bool FileSystemServices::CopyFile(const std::string& source, const std::string& destination) {
  const fs::path from(source);
  const fs::path to(destination);
  if (SameFile(from, to)) return false;

  FileDescriptor in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
  if (in.get() < 0) return false;
  struct stat sourceInfo {};
  if (::fstat(in.get(), &sourceInfo) != 0 || !S_ISREG(sourceInfo.st_mode)) return false;

  fs::path folder = to.parent_path();
  if (folder.empty()) folder = ".";
  std::string temporary = (folder / ("." + to.filename().string() + ".XXXXXX")).string();
  FileDescriptor out(::mkstemp(temporary.data()));
  if (out.get() < 0) return false;

  // mkstemp makes the file private; give the copy the usual permissions.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  bool ok = ::fchmod(out.get(), 0666 & ~mask) == 0;
  ok = ok && CopyContent(in.get(), out.get());
  ok = ok && ::fsync(out.get()) == 0;
  ok = out.Close() && ok;
  ok = ok && ::rename(temporary.c_str(), destination.c_str()) == 0;
  if (!ok) ::unlink(temporary.c_str());
  return ok;
}

}  // namespace vellumo
