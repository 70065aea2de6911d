#pragma once
// Small text helpers shared by the message model and its wire format.
#include <cstddef>
#include <string>
#include <string_view>

namespace vellumo {

// `text` without the spaces and tabs around it.
std::string_view TrimBlanks(std::string_view text);

// ASCII letters lowered; every other byte kept.
std::string LowerAscii(std::string_view text);

// Length of the well-formed UTF-8 sequence that starts at `text[pos]`, or 0
// when the bytes there are not one.
std::size_t ValidUtf8Length(std::string_view text, std::size_t pos);

// Length to step over at `text[pos]`: a whole UTF-8 character, or one byte
// when the bytes there are malformed.
std::size_t Utf8Step(std::string_view text, std::size_t pos);

// True when the well-formed UTF-8 character at `text[pos]` is a Unicode
// format character (category Cf: bidi overrides and isolates, zero-width
// characters, soft hyphen...), which can make a shown text read otherwise.
bool IsFormatCharacterAt(std::string_view text, std::size_t pos);

// A text fit to quote in a message to the user: control characters become
// blanks, format characters are dropped, malformed UTF-8 becomes '?', and it
// is cut to about `maxBytes`
// bytes on a character boundary ("..." marks the cut).
std::string PrintableExcerpt(std::string_view text, std::size_t maxBytes = 200);

}  // namespace vellumo
