#pragma once
// The unattended program's hooks, read from its environment. Built into
// vellumo-unattended only (CMake option VELLUMO_UNATTENDED), never into the
// shipped program:
//   VELLUMO_AUTO_ANSWER     "no", "yes" or "yes:FOLDER": boxes answer by
//                           themselves after about a second
//   VELLUMO_SCREENSHOT_DIR  each box is saved there as box-N.png
//   VELLUMO_SCREENSHOT      the dialog is saved there just before it closes
#include "app/qt/UnattendedMode.h"

namespace vellumo {

UnattendedMode UnattendedModeFromEnvironment();

}  // namespace vellumo
