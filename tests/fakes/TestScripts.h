#pragma once
// Where the tests find their Python helpers; tests run from the
// repository's root.
#include <string>

namespace vellumo::testing {

// The Python that has Debian's modules (VELLUMO_PYTHON overrides it).
std::string TestPython();
// A script of tests/e2e (VELLUMO_TEST_SCRIPTS names another folder).
std::string TestScript(const std::string& name);

}  // namespace vellumo::testing
