#pragma once
// Header text as it may go on the wire: no line break from the input,
// non-ASCII text as RFC 2047 encoded words (UTF-8, base64), display names
// quoted when they hold specials.
#include <string>
#include <string_view>

#include "mail/HeaderLineBuilder.h"
#include "mail/Mailbox.h"

namespace vellumo {

// `text` without line breaks: CR, LF, tabs and other control characters
// become blanks, a CRLF pair a single blank.
std::string HeaderSafeText(std::string_view text);

// One encoded word carrying `bytes` as UTF-8: "=?UTF-8?B?...?=".
std::string EncodedWord(std::string_view bytes);

// Appends unstructured text such as a subject after `separator`: plain
// words when it is short printable ASCII, otherwise encoded words that fit
// the folded lines.
void AppendUnstructured(HeaderLineBuilder& line, std::string_view separator,
                        std::string_view text);

// Appends "name <address>", or the address alone when there is no display
// name, after `separator`. Nothing is appended for an item without address.
// Returns whether something was appended.
bool AppendMailbox(HeaderLineBuilder& line, std::string_view separator,
                   const Mailbox& item);

}  // namespace vellumo
