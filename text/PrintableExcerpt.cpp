#include "text/PrintableExcerpt.h"

#include "text/Utf8.h"

namespace vellumo {
namespace {

bool IsAsciiControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

bool IsC1ControlAt(std::string_view text, std::size_t pos, std::size_t length) {
  return length == 2 && static_cast<unsigned char>(text[pos]) == 0xC2 &&
         static_cast<unsigned char>(text[pos + 1]) < 0xA0;
}

}  // namespace

std::string PrintableExcerpt(std::string_view text, std::size_t maxBytes, ExcerptStyle style) {
  const bool collapsed = style == ExcerptStyle::Collapsed;
  const std::string_view cutMark = collapsed ? "…" : "...";
  std::string out;
  bool pendingSpace = false;  // collapsed: a blank run waits for the next word
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t length = ValidUtf8Length(text, pos);
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (collapsed && (length == 0 || IsC1ControlAt(text, pos, length))) {
      ++pos;  // dropped byte by byte
      continue;
    }
    if (length != 0 && IsFormatCharacterAt(text, pos)) {
      pos += length;
      continue;
    }
    if (collapsed && length == 1 && (IsAsciiControl(lead) || lead == ' ')) {
      pendingSpace = !out.empty();
      ++pos;
      continue;
    }
    const std::size_t needed = (length == 0 ? 1 : length) + (pendingSpace ? 1 : 0);
    if (out.size() + needed > maxBytes) {
      out += cutMark;
      return out;
    }
    if (pendingSpace) out.push_back(' ');
    pendingSpace = false;
    if (length == 0) {
      out += '?';
      ++pos;
      continue;
    }
    if ((length == 1 && IsAsciiControl(lead)) || IsC1ControlAt(text, pos, length)) {
      out += ' ';
    } else {
      out.append(text.substr(pos, length));
    }
    pos += length;
  }
  return out;
}

}  // namespace vellumo
