#include "text/Utf8.h"

namespace vellumo {
namespace {

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Unicode's format characters (general category Cf, Unicode 15).
struct CodeRange {
  char32_t first;
  char32_t last;
};
constexpr CodeRange kFormatCharacters[] = {
    {0xAD, 0xAD},       {0x600, 0x605},     {0x61C, 0x61C},     {0x6DD, 0x6DD},
    {0x70F, 0x70F},     {0x890, 0x891},     {0x8E2, 0x8E2},     {0x180E, 0x180E},
    {0x200B, 0x200F},   {0x202A, 0x202E},   {0x2060, 0x2064},   {0x2066, 0x206F},
    {0xFEFF, 0xFEFF},   {0xFFF9, 0xFFFB},   {0x110BD, 0x110BD}, {0x110CD, 0x110CD},
    {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0001, 0xE0001},
    {0xE0020, 0xE007F},
};

}  // namespace

std::size_t ValidUtf8Length(std::string_view text, std::size_t pos) {
  if (pos >= text.size()) return 0;
  const auto lead = static_cast<unsigned char>(text[pos]);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80;   // tightest range of the second byte: no overlong
  unsigned char high = 0xBF;  // form, no surrogate, nothing above U+10FFFF
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (pos + length > text.size()) return 0;
  const auto second = static_cast<unsigned char>(text[pos + 1]);
  if (second < low || second > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (!IsContinuation(static_cast<unsigned char>(text[pos + i]))) return 0;
  }
  return length;
}

std::size_t Utf8Step(std::string_view text, std::size_t pos) {
  const std::size_t length = ValidUtf8Length(text, pos);
  return length == 0 ? 1 : length;
}

bool IsValidUtf8(std::string_view bytes) {
  for (std::size_t pos = 0; pos < bytes.size();) {
    const std::size_t length = ValidUtf8Length(bytes, pos);
    if (length == 0) return false;
    pos += length;
  }
  return true;
}

char32_t Utf8CodePoint(std::string_view text, std::size_t pos, std::size_t length) {
  if (length == 1) return static_cast<unsigned char>(text[pos]);
  char32_t value = static_cast<unsigned char>(text[pos]) & (0x7Fu >> length);
  for (std::size_t i = 1; i < length; ++i) {
    value = (value << 6) | (static_cast<unsigned char>(text[pos + i]) & 0x3Fu);
  }
  return value;
}

bool IsFormatCharacterAt(std::string_view text, std::size_t pos) {
  const std::size_t length = ValidUtf8Length(text, pos);
  if (length < 2) return false;
  const char32_t value = Utf8CodePoint(text, pos, length);
  for (const CodeRange& range : kFormatCharacters) {
    if (value >= range.first && value <= range.last) return true;
  }
  return false;
}

}  // namespace vellumo
