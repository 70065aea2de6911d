#include "app/qt/unattended/UnattendedEnvironment.h"

#include <QtGlobal>

namespace vellumo {

UnattendedMode UnattendedModeFromEnvironment() {
  return UnattendedMode(qEnvironmentVariable("VELLUMO_AUTO_ANSWER"),
                        qEnvironmentVariable("VELLUMO_SCREENSHOT_DIR"),
                        qEnvironmentVariable("VELLUMO_SCREENSHOT"));
}

}  // namespace vellumo
