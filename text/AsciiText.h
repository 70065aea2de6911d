#pragma once
// Trimming and case of ASCII text, byte by byte: every other byte is kept.
#include <string>
#include <string_view>

namespace vellumo {

// `text` without the spaces and tabs around it.
std::string_view TrimBlanks(std::string_view text);

// ASCII letters lowered; every other byte kept.
std::string LowerAscii(std::string_view text);

}  // namespace vellumo
