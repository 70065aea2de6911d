#pragma once
// The one rule for quoting text that came from outside (a server's reply,
// libcurl's detail, a value of the INI file) in a message to the user:
// valid UTF-8 only, no control or format character (which could hide or
// reorder what is shown), cut to about `maxBytes` on a character boundary.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vellumo {

enum class ExcerptStyle : std::uint8_t {
  // Text of a server or of libcurl: malformed bytes and C1 controls are
  // dropped, runs of blanks and controls become one space between words,
  // "…" marks the cut.
  Collapsed,
  // A value as the user wrote it, shown as such: each control character
  // becomes a space, a malformed byte shows as '?', "..." marks the cut.
  Verbatim,
};

std::string PrintableExcerpt(std::string_view text, std::size_t maxBytes, ExcerptStyle style);

}  // namespace vellumo
