#pragma once
// UTF-8 checks shared by the INI reader, the message and the texts shown to
// the user: one notion of well-formed UTF-8 (no overlong forms, no
// surrogates, nothing above U+10FFFF).
#include <cstddef>
#include <string_view>

namespace vellumo {

// Length of the well-formed UTF-8 sequence that starts at `text[pos]`, or 0
// when the bytes there are not one.
std::size_t ValidUtf8Length(std::string_view text, std::size_t pos);

// Length to step over at `text[pos]`: a whole UTF-8 character, or one byte
// when the bytes there are malformed.
std::size_t Utf8Step(std::string_view text, std::size_t pos);

bool IsValidUtf8(std::string_view bytes);

// The code point of the well-formed sequence of `length` bytes at `pos`.
char32_t Utf8CodePoint(std::string_view text, std::size_t pos, std::size_t length);

// True when the well-formed UTF-8 character at `text[pos]` is a Unicode
// format character (category Cf: bidi overrides and isolates, zero-width
// characters, soft hyphen...), which can make a shown text read otherwise.
bool IsFormatCharacterAt(std::string_view text, std::size_t pos);

}  // namespace vellumo
