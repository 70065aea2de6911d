#include "config/CaseFold.h"

#include "config/TextEncoding.h"
#include "text/Utf8.h"

namespace vellumo {
namespace {

bool Between(char32_t cp, char32_t low, char32_t high) { return cp >= low && cp <= high; }

char32_t FoldCodePoint(char32_t cp) {
  if (Between(cp, 0xC0, 0xDE) && cp != 0xD7) return cp + 0x20;
  // Latin Extended-A pairs capital and small letters side by side; U+0130
  // and U+0131 (Turkish dotted and dotless i) stay as they are.
  if ((Between(cp, 0x100, 0x12F) || Between(cp, 0x132, 0x137) || Between(cp, 0x14A, 0x177)) && cp % 2 == 0) {
    return cp + 1;
  }
  if ((Between(cp, 0x139, 0x148) || Between(cp, 0x179, 0x17E)) && cp % 2 == 1) return cp + 1;
  if (cp == 0x178) return 0xFF;
  if (Between(cp, 0x391, 0x3A9) && cp != 0x3A2) return cp + 0x20;
  if (Between(cp, 0x400, 0x40F)) return cp + 0x50;
  if (Between(cp, 0x410, 0x42F)) return cp + 0x20;
  return cp;
}

}  // namespace

std::string FoldCase(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t pos = 0; pos < utf8.size();) {
    const char c = utf8[pos];
    if (static_cast<unsigned char>(c) < 0x80) {
      out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
      ++pos;
      continue;
    }
    const std::size_t length = ValidUtf8Length(utf8, pos);
    if (length == 0) {
      out += c;
      ++pos;
      continue;
    }
    AppendUtf8(out, FoldCodePoint(Utf8CodePoint(utf8, pos, length)));
    pos += length;
  }
  return out;
}

}  // namespace vellumo
