#pragma once
// The program's UTF-8 strings and Windows' UTF-16 ones, converted at the
// system's seam only, never through the ANSI code page.
#include <string>
#include <string_view>

namespace vellumo::windows {

// Invalid UTF-8 becomes U+FFFD.
std::wstring Utf16(std::string_view utf8);
// An unpaired surrogate (possible in Windows names) becomes U+FFFD.
std::string Utf8(std::wstring_view utf16);

}  // namespace vellumo::windows
