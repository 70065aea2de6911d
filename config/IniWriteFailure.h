#pragma once
// A change of the INI file that the file system refused, as an IniWriteError.
#include <string>

#include "config/IniFile.h"
#include "platform/FileSystem.h"

namespace vellumo {

// Throws the IniWriteError for a change of the file at `path` that the file
// system did not make.
void RequireWritten(const std::string& path, const FileStatus& status);

}  // namespace vellumo
