#pragma once
// Process start-up: title, main window, style, the one argument, the loop.
#include <string>
#include <vector>

namespace vellumo {

class ApplicationShell;

inline constexpr const char* kApplicationTitle = "Vellumo";
inline constexpr const char* kStyleName = "Smokey Quartz Kamri";
inline constexpr const char* kMissingArgumentText =
    "Erreur : impossible de lancer le module Vellumo sans paramètre.";

// `arguments` excludes the program name. Always returns 0.
int StartVellumo(ApplicationShell& shell, const std::vector<std::string>& arguments);

}  // namespace vellumo
