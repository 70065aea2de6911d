#include "smtp/curl/CurlSmtpUrl.h"

#include <string_view>

namespace vellumo {
namespace {

bool HasUnsafeCharacter(std::string_view text, std::string_view alsoUnsafe) {
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7f) return true;
    if (std::string_view("/?#@\\ %\"<>`{}|^").find(c) != std::string_view::npos) return true;
    if (alsoUnsafe.find(c) != std::string_view::npos) return true;
  }
  return false;
}

bool IsIpv6Literal(std::string_view host) {
  if (host.find(':') == std::string_view::npos) return false;
  for (char c : host) {
    const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    if (!hex && c != ':' && c != '.') return false;
  }
  return true;
}

}  // namespace

std::optional<std::string> BuildSmtpUrl(const std::string& host, std::uint16_t port,
                                        bool implicitTls, const std::string& ehloName) {
  std::string_view name = host;
  if (name.size() > 2 && name.front() == '[' && name.back() == ']') {
    name = name.substr(1, name.size() - 2);
    if (!IsIpv6Literal(name)) return std::nullopt;
  }
  if (name.empty()) return std::nullopt;
  const bool ipv6 = IsIpv6Literal(name);
  if (!ipv6 && HasUnsafeCharacter(name, ":[]")) return std::nullopt;
  if (HasUnsafeCharacter(ehloName, ":[]")) return std::nullopt;

  std::string url = implicitTls ? "smtps://" : "smtp://";
  if (ipv6) {
    url += '[';
    url += name;
    url += ']';
  } else {
    url += name;
  }
  url += ':';
  url += std::to_string(port);
  url += '/';
  url += ehloName;
  return url;
}

}  // namespace vellumo
