#pragma once
// What the run needs from the operating system.
#include <string>

namespace vellumo {

enum class CopyResult {
  Copied,
  Failed,
  DestinationReadOnly,  // a read-only file of that name is there and stays
};

class SystemServices {
 public:
  virtual ~SystemServices() = default;

  // Blocks the calling thread; nothing is processed meanwhile.
  virtual void Sleep(int milliseconds) = 0;
  // Copies the regular file `source` to `destination`, replacing an
  // existing destination unless it is read-only, never blocking on a pipe.
  // Unless the copy is made, the destination is as it was; the source is
  // never touched.
  virtual CopyResult CopyFile(const std::string& source, const std::string& destination) = 0;
};

}  // namespace vellumo
