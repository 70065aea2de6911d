#pragma once
// A POSIX file descriptor closed when it goes, and whole writes to one.
#include <sys/types.h>

#include <string_view>

namespace vellumo::posix {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd = -1) : fd_(fd) {}
  ~FileDescriptor();
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  FileDescriptor& operator=(FileDescriptor&& other) noexcept;
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int Get() const { return fd_; }
  bool IsOpen() const { return fd_ >= 0; }
  // Closes now: a failed close of a written file is a failed write. False,
  // with errno set, when it fails.
  bool Close();

 private:
  int fd_;
};

// Writes every byte, going on after interruptions. False, with errno set,
// when a write fails.
bool WriteAll(int fd, std::string_view bytes);
// The same from `offset` on, leaving the file position alone.
bool WriteAllAt(int fd, std::string_view bytes, off_t offset);

}  // namespace vellumo::posix
