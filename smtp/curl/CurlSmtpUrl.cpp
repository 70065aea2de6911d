#include "smtp/curl/CurlSmtpUrl.h"

#include <curl/curl.h>

#include <memory>
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

  // Put together by libcurl itself, so that it reads the URL back as meant.
  // The port goes in with the host: libcurl takes port 0 only inside a
  // whole URL, and an account may give it.
  const std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> url(curl_url(), &curl_url_cleanup);
  if (!url) return std::nullopt;
  std::string origin = implicitTls ? "smtps://" : "smtp://";
  origin += ipv6 ? "[" + std::string(name) + "]" : std::string(name);
  origin += ":" + std::to_string(port);
  const std::string path = "/" + ehloName;
  if (curl_url_set(url.get(), CURLUPART_URL, origin.c_str(), 0) != CURLUE_OK ||
      curl_url_set(url.get(), CURLUPART_PATH, path.c_str(), 0) != CURLUE_OK) {
    return std::nullopt;
  }
  char* text = nullptr;
  if (curl_url_get(url.get(), CURLUPART_URL, &text, 0) != CURLUE_OK) return std::nullopt;
  std::string result = text;
  curl_free(text);
  return result;
}

}  // namespace vellumo
