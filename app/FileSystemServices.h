#pragma once
// The operating system's side of SystemServices: the standard library's
// sleep and the platform's file system.
#include "app/SystemServices.h"

namespace vellumo {

class FileSystemServices : public SystemServices {
 public:
  void Sleep(int milliseconds) override;
  FileSystem& Files() override { return NativeFileSystem(); }
};

}  // namespace vellumo
