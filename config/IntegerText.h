#pragma once
// Whole numbers as the INI file holds them.
#include <cstdint>
#include <optional>
#include <string_view>

namespace vellumo {

// Decimal with an optional sign, or hexadecimal after "0x", "0X" or "$"
// (the sign, if any, comes first: "-0x10" is -16). Blanks around the number
// are ignored. Decimal must fit a signed 32-bit integer. A positive
// hexadecimal number may go up to 0xFFFFFFFF and then wraps to a negative
// value as a 32-bit pattern ("$FFFFFFFF" is -1); a negative one may go down
// to -0x80000000. Anything else gives no value.
std::optional<std::int32_t> ParseInt32(std::string_view text);

}  // namespace vellumo
