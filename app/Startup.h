#pragma once
// Process start-up: title, main window, style, the one argument, the loop.
#include <iosfwd>
#include <string>
#include <vector>

namespace vellumo {

class ApplicationShell;

inline constexpr const char* kApplicationTitle = "Vellumo";
inline constexpr const char* kStyleName = "Smokey Quartz Kamri";

// `arguments` excludes the program name. Nothing escapes: the process
// ends with exit code 0 whatever happens here.
void StartVellumo(ApplicationShell& shell, const std::vector<std::string>& arguments);

// Start-up when nothing can be shown: standard error says why and, with
// exactly one argument, that file gets the failure marker, since the run
// did not happen. Always returns 0.
int StartWithoutDisplay(const std::vector<std::string>& arguments, std::ostream& err);

}  // namespace vellumo
