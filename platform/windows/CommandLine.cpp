#include "platform/windows/CommandLine.h"

#include <memory>

#include "platform/windows/Utf16.h"
#include "platform/windows/WindowsApi.h"
// After windows.h, which it needs.
#include <shellapi.h>

namespace vellumo {

std::vector<std::string> HostArgumentsFrom(std::wstring_view commandLine) {
  std::vector<std::string> arguments;
  // CommandLineToArgvW answers an empty line with the program's own path.
  if (commandLine.find_first_not_of(L" \t") == std::wstring_view::npos) return arguments;
  const std::wstring line(commandLine);
  int count = 0;
  const std::unique_ptr<LPWSTR, decltype(&::LocalFree)> argv(
      ::CommandLineToArgvW(line.c_str(), &count), &::LocalFree);
  if (!argv) return arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(windows::Utf8(argv.get()[i]));
  return arguments;
}

std::vector<std::string> HostArgumentsFromCommandLine() {
  return HostArgumentsFrom(::GetCommandLineW());
}

}  // namespace vellumo
