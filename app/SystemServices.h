#pragma once
// What the run needs from the operating system.
#include "platform/FileSystem.h"

namespace vellumo {

class SystemServices {
 public:
  virtual ~SystemServices() = default;

  // Every file the run reads or writes goes through here: the host's INI
  // file, its marker, the manual save's copy.
  virtual FileSystem& Files() = 0;
};

}  // namespace vellumo
