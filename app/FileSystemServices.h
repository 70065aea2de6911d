#pragma once
// The operating system's side of SystemServices: the platform's file
// system.
#include "app/SystemServices.h"

namespace vellumo {

class FileSystemServices : public SystemServices {
 public:
  FileSystem& Files() override { return NativeFileSystem(); }
};

}  // namespace vellumo
