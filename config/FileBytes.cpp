#include "config/FileBytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace vellumo {

FileBytes ReadFileBytes(const std::string& path) {
  FileBytes result;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    result.exists = errno != ENOENT;
    result.error = result.exists ? errno : 0;
    return result;
  }
  result.exists = true;
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    result.error = errno;
  } else if (!S_ISREG(info.st_mode)) {
    result.error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
  } else {
    result.bytes.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
      const ssize_t count = ::read(fd, buffer, sizeof buffer);
      if (count == 0) break;
      if (count < 0) {
        if (errno == EINTR) continue;
        result.error = errno;
        result.bytes.clear();
        break;
      }
      result.bytes.append(buffer, static_cast<std::size_t>(count));
    }
  }
  ::close(fd);
  return result;
}

}  // namespace vellumo
