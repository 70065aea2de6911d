#pragma once
// Replaces a file's content so that a crash never leaves it half-written:
// the new bytes go to a temporary file in the same folder, are flushed to
// disk and renamed over the file, with the file's mode bits and owner.
// Where a rename would change the file's identity (a folder we may not
// write, other hard links, an owner we cannot give back), the file is
// written in place instead and flushed; its bytes end up the same.
#include <sys/stat.h>

#include <string>
#include <string_view>

#include "config/IniFile.h"

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
  // False, with nothing changed, when the rename cannot keep the file's
  // identity. `existing`: the file's state, or nullptr for a new file.
  bool WriteThroughRename(std::string_view bytes, const struct stat* existing) const;
  void WriteInPlace(std::string_view bytes) const;
  IniWriteError Failure(int errorNumber) const;

  std::string path_;
  std::string target_;
};

}  // namespace vellumo
