#pragma once
// Records the pauses and copies asked of the system; a copy ends as told,
// touching no file.
#include <string>
#include <vector>

#include "app/SystemServices.h"

namespace vellumo::testing {

class FakeSystem : public SystemServices {
 public:
  void Sleep(int milliseconds) override;
  CopyResult CopyFile(const std::string& source, const std::string& destination) override;

  std::vector<std::string> events;
  CopyResult copyResult = CopyResult::Copied;
};

}  // namespace vellumo::testing
