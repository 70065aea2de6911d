#pragma once
// What the run needs from the operating system.
#include <string>

namespace vellumo {

class SystemServices {
 public:
  virtual ~SystemServices() = default;

  // Blocks the calling thread; nothing is processed meanwhile.
  virtual void Sleep(int milliseconds) = 0;
  // Copies `source` to `destination`, replacing an existing destination.
  // Returns false when the copy failed; the destination is then as it was
  // and the source is never touched.
  virtual bool CopyFile(const std::string& source, const std::string& destination) = 0;
};

}  // namespace vellumo
