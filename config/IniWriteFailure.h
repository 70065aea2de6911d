#pragma once
// French texts for a failed write of the INI file.
#include <string>

#include "config/IniFile.h"
#include "platform/FileSystem.h"

namespace vellumo {

// The reason of a system error in French words ("accès refusé", ...).
std::string FrenchSystemErrorText(int errorNumber);

// "Erreur : impossible d'écrire dans le fichier de configuration PATH (REASON)."
IniWriteError MakeIniWriteError(const std::string& path, const std::string& reason);

// Throws the IniWriteError for a change of the file at `path` that the file
// system did not make.
void RequireWritten(const std::string& path, const FileStatus& status);

}  // namespace vellumo
