#pragma once
// The unattended program's hooks, read from its environment. Built into
// vellumo-unattended.exe only, never into the shipped program:
//   VELLUMO_AUTO_ANSWER  "no", "yes" or "yes:FOLDER": boxes answer by
//                        themselves after half a second
//   VELLUMO_BOX_LOG      each box's caption and text are appended there
//   VELLUMO_SCREENSHOT   the dialog is saved there (BMP) just before it
//                        closes
//   VELLUMO_CLOSE_AFTER  milliseconds: the dialog is asked to close that
//                        long after it shows, as by its close button
#include "app/win32/Win32UnattendedMode.h"

namespace vellumo {

Win32UnattendedMode UnattendedModeFromEnvironment();

}  // namespace vellumo
