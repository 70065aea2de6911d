#include "app/FileSystemServices.h"

#include <chrono>
#include <thread>

namespace vellumo {

void FileSystemServices::Sleep(int milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace vellumo
