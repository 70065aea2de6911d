#pragma once
// Replaces a file's content so that a crash never leaves it half-written:
// the new bytes go to a temporary file in the same folder, are flushed to
// disk and renamed over the file, with the file's mode bits and owner.
#include <string>
#include <string_view>

namespace vellumo {

class AtomicFileWriter {
 public:
  // Follows symbolic links at `path`, so that the file they lead to is
  // replaced and the links stay. Throws IniWriteError on a link loop.
  explicit AtomicFileWriter(std::string path);

  // The regular file (or the place of the new file) that will be written.
  const std::string& Target() const { return target_; }

  // Throws IniWriteError naming the path given to the constructor; the file
  // is then unchanged and no temporary file is left. A file whose mode has no
  // write bit at all is read-only and refused, even for root.
  void Write(std::string_view bytes) const;

 private:
  std::string ResolveLinks() const;
  std::string TemporaryTemplate() const;

  std::string path_;
  std::string target_;
};

}  // namespace vellumo
