#include "mail/MessageId.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <random>
#include "text/AsciiText.h"


namespace vellumo {

namespace {

bool IsHostName(std::string_view domain) {
  return !domain.empty() && domain.front() != '.' && domain.back() != '.' &&
         std::all_of(domain.begin(), domain.end(), [](char c) {
           return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                  c == '-' || c == '.';
         });
}

std::uint64_t RandomBits() {
  static std::random_device device;
  return (static_cast<std::uint64_t>(device()) << 32) ^ device();
}

}  // namespace

std::string MakeMessageId(std::time_t now, std::string_view domain) {
  // The counter keeps two identifiers of one process apart even if the
  // random source repeats itself.
  static std::atomic<unsigned> counter{0};
  const std::string_view trimmed = TrimBlanks(domain);
  const std::string_view host = IsHostName(trimmed) ? trimmed : "vellumo.localhost";
  const unsigned long long seconds = now < 0 ? 0ULL : static_cast<unsigned long long>(now);
  char left[80];
  std::snprintf(left, sizeof left, "%016llx%016llx.%llx.%x",
                static_cast<unsigned long long>(RandomBits()),
                static_cast<unsigned long long>(RandomBits()), seconds, counter.fetch_add(1));
  return "<" + std::string(left) + "@" + std::string(host) + ">";
}

}  // namespace vellumo
