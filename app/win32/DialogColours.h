#pragma once
// The dialog's colours, as 0x00RRGGBB.
#include <cstdint>
#include <optional>
#include <string>

namespace vellumo {

struct DialogColours {
  std::uint32_t background;
  std::uint32_t text;
  std::uint32_t heading;  // the two groups' titles
};

// The colours of a named style, as the Qt side's style sheet of that name
// gives them; nothing for a style this side does not know.
std::optional<DialogColours> StyleColours(const std::string& styleName);

}  // namespace vellumo
