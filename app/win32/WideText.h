#pragma once
// UTF-8, the program's text, to and from UTF-16, what every W function of
// Windows takes. Nothing goes through the ANSI code page.
#include <string>

namespace vellumo {

// Invalid UTF-8 sequences become U+FFFD.
std::wstring Utf8ToWide(const std::string& text);
// Unpaired surrogates become U+FFFD.
std::string WideToUtf8(const std::wstring& text);

}  // namespace vellumo
