#include "fakes/TestScripts.h"

#include <cstdlib>

namespace vellumo::testing {
namespace {

std::string EnvOr(const char* name, const std::string& fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : fallback;
}

}  // namespace

std::string TestPython() { return EnvOr("VELLUMO_PYTHON", "/usr/bin/python3"); }

std::string TestScript(const std::string& name) {
  return EnvOr("VELLUMO_TEST_SCRIPTS", "tests/e2e") + "/" + name;
}

}  // namespace vellumo::testing
