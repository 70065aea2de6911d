#pragma once
// The operating system's side of SystemServices, on the standard library
// and POSIX calls.
#include "app/SystemServices.h"

namespace vellumo {

class FileSystemServices : public SystemServices {
 public:
  void Sleep(int milliseconds) override;
  // Copies through a temporary file in the destination's folder, flushed
  // and renamed over the destination: a failed copy leaves no half-written
  // file. Refuses to copy a file onto itself. A replaced file's mode bits
  // stay; a new file gets the usual ones (the umask applies).
  CopyResult CopyFile(const std::string& source, const std::string& destination) override;
};

}  // namespace vellumo
