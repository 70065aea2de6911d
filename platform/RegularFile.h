#pragma once
// A regular file opened for reading without ever blocking: the path is
// looked at before it is opened, since opening a pipe waits for a writer
// and opening a device can act on it. Every reader of a file the host names
// (its INI file, the document to attach or copy) opens it this way.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace vellumo {

class RegularFile {
 public:
  explicit RegularFile(const std::string& path);
  ~RegularFile();
  RegularFile(const RegularFile&) = delete;
  RegularFile& operator=(const RegularFile&) = delete;

  // 0 when open; else ENOENT or ENOTDIR for a missing file, EISDIR for a
  // folder, EINVAL for another kind of file, or why it could not be opened.
  int Error() const { return error_; }
  bool IsOpen() const { return error_ == 0; }

  // The size when it was opened.
  std::uint64_t Size() const;
  // Up to `size` bytes from the current position, 0 at the end; nothing
  // when the read fails.
  std::optional<std::size_t> Read(char* buffer, std::size_t size);
  // Back to the first byte.
  bool Rewind();
  // Same size and modification time as when it was opened.
  bool Unchanged() const;

  // The platform side's own: the descriptor and what it was opened as.
  struct Handle;

 private:
  std::unique_ptr<Handle> handle_;
  int error_ = 0;
};

}  // namespace vellumo
