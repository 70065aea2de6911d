#include "config/TextEncoding.h"

#include <algorithm>
#include <array>

#include "text/Utf8.h"

namespace vellumo {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Windows-1252 for 0x80-0x9F. The five bytes the code page leaves undefined
// map to the C1 control of the same value, as Windows does, so that they
// survive a round trip.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t Cp1252ToCodePoint(std::uint8_t byte) {
  if (byte >= 0x80 && byte <= 0x9F) return kCp1252High[byte - 0x80];
  return byte;
}

int CodePointToCp1252(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (std::size_t i = 0; i < kCp1252High.size(); ++i) {
    if (kCp1252High[i] == cp) return static_cast<int>(0x80 + i);
  }
  return -1;
}

bool StartsWith(std::string_view bytes, std::string_view prefix) {
  return bytes.substr(0, prefix.size()) == prefix;
}

}  // namespace

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kReplacement;
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

TextEncoding DetectEncoding(std::string_view bytes) {
  if (StartsWith(bytes, "\xEF\xBB\xBF")) return TextEncoding::Utf8Bom;
  if (StartsWith(bytes, "\xFF\xFE")) return TextEncoding::Utf16Le;
  if (StartsWith(bytes, "\xFE\xFF")) return TextEncoding::Utf16Be;
  return IsValidUtf8(bytes) ? TextEncoding::Utf8 : TextEncoding::Windows1252;
}

std::size_t BomSize(TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::Utf8Bom: return 3;
    case TextEncoding::Utf16Le:
    case TextEncoding::Utf16Be: return 2;
    default: return 0;
  }
}

std::size_t UnitSize(TextEncoding encoding) {
  return encoding == TextEncoding::Utf16Le || encoding == TextEncoding::Utf16Be ? 2 : 1;
}

std::vector<std::uint16_t> ToUnits(std::string_view bytes, TextEncoding encoding) {
  const std::string_view body = bytes.substr(std::min(BomSize(encoding), bytes.size()));
  std::vector<std::uint16_t> units;
  const auto byteAt = [&](std::size_t i) { return static_cast<std::uint16_t>(static_cast<std::uint8_t>(body[i])); };
  if (UnitSize(encoding) == 1) {
    units.reserve(body.size());
    for (std::size_t i = 0; i < body.size(); ++i) units.push_back(byteAt(i));
    return units;
  }
  const bool little = encoding == TextEncoding::Utf16Le;
  units.reserve(body.size() / 2);
  for (std::size_t i = 0; i + 1 < body.size(); i += 2) {
    const std::uint16_t first = byteAt(i), second = byteAt(i + 1);
    units.push_back(little ? static_cast<std::uint16_t>(first | (second << 8))
                           : static_cast<std::uint16_t>((first << 8) | second));
  }
  return units;
}

std::string DecodeUnits(const std::uint16_t* units, std::size_t count, TextEncoding encoding) {
  std::string out;
  out.reserve(count);
  switch (encoding) {
    case TextEncoding::Utf8:
    case TextEncoding::Utf8Bom: {
      std::string raw(count, '\0');
      for (std::size_t i = 0; i < count; ++i) raw[i] = static_cast<char>(units[i]);
      for (std::size_t pos = 0; pos < raw.size();) {
        const std::size_t length = ValidUtf8Length(raw, pos);
        if (length == 0) {
          AppendUtf8(out, kReplacement);
          ++pos;
        } else {
          out.append(raw, pos, length);
          pos += length;
        }
      }
      break;
    }
    case TextEncoding::Windows1252:
      for (std::size_t i = 0; i < count; ++i) AppendUtf8(out, Cp1252ToCodePoint(static_cast<std::uint8_t>(units[i])));
      break;
    case TextEncoding::Utf16Le:
    case TextEncoding::Utf16Be:
      for (std::size_t i = 0; i < count; ++i) {
        const char32_t unit = units[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < count && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
          AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (units[i + 1] - 0xDC00u));
          ++i;
        } else {
          AppendUtf8(out, unit);  // a lone surrogate comes out as U+FFFD
        }
      }
      break;
  }
  return out;
}

std::string EncodeUtf8(std::string_view utf8, TextEncoding encoding) {
  std::string out;
  const bool little = encoding == TextEncoding::Utf16Le;
  const auto put16 = [&](char32_t unit) {
    const char high = static_cast<char>((unit >> 8) & 0xFF), low = static_cast<char>(unit & 0xFF);
    out += little ? low : high;
    out += little ? high : low;
  };
  for (std::size_t pos = 0; pos < utf8.size();) {
    std::size_t length = ValidUtf8Length(utf8, pos);
    char32_t cp = kReplacement;
    if (length == 0) {
      length = 1;
    } else {
      cp = Utf8CodePoint(utf8, pos, length);
    }
    switch (encoding) {
      case TextEncoding::Utf8:
      case TextEncoding::Utf8Bom:
        AppendUtf8(out, cp);
        break;
      case TextEncoding::Windows1252: {
        const int byte = CodePointToCp1252(cp);
        out += byte < 0 ? '?' : static_cast<char>(byte);
        break;
      }
      case TextEncoding::Utf16Le:
      case TextEncoding::Utf16Be:
        if (cp >= 0x10000) {
          put16(0xD800 + ((cp - 0x10000) >> 10));
          put16(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
          put16(cp);
        }
        break;
    }
    pos += length;
  }
  return out;
}

}  // namespace vellumo
