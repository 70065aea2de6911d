#pragma once
// Domains go on the wire in their ASCII (IDNA) form: servers and readers
// that know nothing of UTF-8 domains still route and show them.
#include <string>
#include <string_view>

namespace vellumo {

// `address` with the domain after its last '@' converted from UTF-8 to its
// ASCII form ("contact@bücher.de" -> "contact@xn--bcher-kva.de"), whatever
// the locale; an ASCII domain and the local part are kept as written.
// Throws MailError saying the address is not valid when the domain cannot
// be converted.
std::string WithAsciiDomain(std::string_view address);

}  // namespace vellumo
