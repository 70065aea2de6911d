#pragma once
// Reading a whole file at once.
#include <string>

namespace vellumo {

struct FileBytes {
  bool exists = false;
  int error = 0;  // errno of a failed read of an existing path, 0 on success
  std::string bytes;
};

// A missing file gives exists = false and no error. A path that is not a
// regular file (folder, pipe, device) counts as existing with error EISDIR
// or EINVAL; it is never opened in a way that could block.
FileBytes ReadFileBytes(const std::string& path);

}  // namespace vellumo
