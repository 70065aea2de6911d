#pragma once
// Punycode (RFC 3492): a label's characters as the ASCII letters, digits
// and hyphens that follow "xn--".
#include <string>

namespace vellumo {

// `label`: code points, already mapped (lower case, NFC).
std::string Punycode(const std::u32string& label);

}  // namespace vellumo
