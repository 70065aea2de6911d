#pragma once
// The URL libcurl is given for one SMTP session: scheme by TLS mode, host
// (IPv6 literals in brackets), port, and the name said in EHLO as path.
#include <cstdint>
#include <optional>
#include <string>

namespace vellumo {

// Nothing when the host or the EHLO name holds a character that would
// change the URL's meaning (separators, spaces, control characters).
// Non-ASCII host names pass unchanged for libcurl to convert.
std::optional<std::string> BuildSmtpUrl(const std::string& host, std::uint16_t port,
                                        bool implicitTls, const std::string& ehloName);

}  // namespace vellumo
