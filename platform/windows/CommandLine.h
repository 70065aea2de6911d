#pragma once
// The host's arguments as Windows gives them: a UTF-16 command line, split
// here and converted to the program's UTF-8 strings.
#include <string>
#include <string_view>
#include <vector>

namespace vellumo {

// The arguments of `commandLine` split as Windows splits them (a quoted
// path with spaces is one argument), without the program's name, each in
// UTF-8.
std::vector<std::string> HostArgumentsFrom(std::wstring_view commandLine);

// The same for this process's own command line (GetCommandLineW).
std::vector<std::string> HostArgumentsFromCommandLine();

}  // namespace vellumo
