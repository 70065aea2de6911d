#pragma once
// What the user reads when the INI file cannot be written: the file and why,
// in French.
#include <string>

namespace vellumo {

class IniWriteError;

// "Erreur : impossible d'écrire dans le fichier de configuration PATH (REASON)."
std::string IniWriteErrorText(const IniWriteError& failure);

}  // namespace vellumo
