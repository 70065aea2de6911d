#include "fakes/FakeSystem.h"

namespace vellumo::testing {

void FakeSystem::Sleep(int milliseconds) { events.push_back("sleep " + std::to_string(milliseconds)); }

CopyResult FakeSystem::CopyFile(const std::string& source, const std::string& destination) {
  events.push_back("copy " + source + " -> " + destination);
  return copyResult;
}

}  // namespace vellumo::testing
