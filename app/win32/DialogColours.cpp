#include "app/win32/DialogColours.h"

namespace vellumo {

std::optional<DialogColours> StyleColours(const std::string& styleName) {
  // Smokey Quartz Kamri (app/qt/SmokeyQuartzKamri.qss): taupe face, dark
  // brown text, warmer brown headings.
  if (styleName == "Smokey Quartz Kamri") return DialogColours{0xd8cfc5, 0x2d241e, 0x5a3f2c};
  return std::nullopt;
}

}  // namespace vellumo
