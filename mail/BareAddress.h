#pragma once
// The address alone, as it goes into MAIL FROM, RCPT TO and between angle
// brackets in a header.
#include <string_view>

namespace vellumo {

// True when `address` can go on the wire as it is: one '@' with text on
// both sides, and no blank, control character, quote, angle bracket,
// comma or semicolon. UTF-8 local parts and domains are accepted.
bool IsWireSafeAddress(std::string_view address);

// Throws MailError saying that `text`, as the host wrote it, is not a valid
// address.
[[noreturn]] void ThrowInvalidAddress(std::string_view text);

}  // namespace vellumo
