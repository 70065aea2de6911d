#include "platform/windows/CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vellumo {
namespace {

struct CommandLineCase {
  const wchar_t* line;
  std::vector<std::string> arguments;
};

class CommandLineSplit : public ::testing::TestWithParam<CommandLineCase> {};

TEST_P(CommandLineSplit, AsWindowsCountsThem) {
  EXPECT_EQ(HostArgumentsFrom(GetParam().line), GetParam().arguments);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CommandLineSplit,
    ::testing::Values(
        // A quoted path with spaces and accents is one argument, in UTF-8.
        CommandLineCase{L"vellumo.exe \"C:\\Mes documents\\\u00e9t\u00e9 \u03a9.ini\"",
                        {"C:\\Mes documents\\\xC3\xA9t\xC3\xA9 \xCE\xA9.ini"}},
        // The program's own quoted name is left out, whatever it holds.
        CommandLineCase{L"\"C:\\Program Files\\H\u00f4te\\vellumo.exe\"  a.ini\tb", {"a.ini", "b"}},
        // A backslash before a quote escapes it; elsewhere it stays.
        CommandLineCase{L"vellumo.exe \"C:\\dossier\\\\\" x\\\"y", {"C:\\dossier\\", "x\"y"}},
        CommandLineCase{L"vellumo.exe", {}}));

}  // namespace
}  // namespace vellumo
