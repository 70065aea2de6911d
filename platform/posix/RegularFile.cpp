#include "platform/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/FileDescriptor.h"

namespace vellumo {

struct RegularFile::Handle {
  posix::FileDescriptor fd;
  struct stat atOpen {};
};

namespace {

int KindError(const struct stat& info) {
  if (S_ISREG(info.st_mode)) return 0;
  return S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
}

bool SameTime(const timespec& a, const timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

}  // namespace

RegularFile::RegularFile(const std::string& path) : handle_(std::make_unique<Handle>()) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    error_ = errno;
    return;
  }
  if ((error_ = KindError(info)) != 0) return;
  handle_->fd =
      posix::FileDescriptor(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (!handle_->fd.IsOpen()) {
    error_ = errno;
    return;
  }
  // The path may have been replaced between the two looks.
  if (::fstat(handle_->fd.Get(), &handle_->atOpen) != 0) {
    error_ = errno;
  } else {
    error_ = KindError(handle_->atOpen);
  }
  if (error_ != 0) handle_->fd = posix::FileDescriptor();
}

RegularFile::~RegularFile() = default;

std::uint64_t RegularFile::Size() const {
  return IsOpen() ? static_cast<std::uint64_t>(handle_->atOpen.st_size) : 0;
}

std::optional<std::size_t> RegularFile::Read(char* buffer, std::size_t size) {
  if (!IsOpen()) return std::nullopt;
  for (;;) {
    const ssize_t count = ::read(handle_->fd.Get(), buffer, size);
    if (count >= 0) return static_cast<std::size_t>(count);
    if (errno != EINTR) return std::nullopt;
  }
}

bool RegularFile::Rewind() { return IsOpen() && ::lseek(handle_->fd.Get(), 0, SEEK_SET) == 0; }

bool RegularFile::Unchanged() const {
  struct stat now {};
  if (!IsOpen() || ::fstat(handle_->fd.Get(), &now) != 0) return false;
  return now.st_size == handle_->atOpen.st_size && SameTime(now.st_mtim, handle_->atOpen.st_mtim);
}

}  // namespace vellumo
