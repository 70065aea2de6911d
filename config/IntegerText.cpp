#include "config/IntegerText.h"

namespace vellumo {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

int DigitValue(char c, int base) {
  int value = -1;
  if (c >= '0' && c <= '9') value = c - '0';
  else if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
  return value < base ? value : -1;
}

}  // namespace

std::optional<std::int32_t> ParseInt32(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);

  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  } else if (!text.empty() && text.front() == '$') {
    base = 16;
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;

  constexpr std::uint64_t kMaxMagnitude = 0xFFFFFFFFull;
  std::uint64_t magnitude = 0;
  for (const char c : text) {
    const int digit = DigitValue(c, base);
    if (digit < 0) return std::nullopt;
    magnitude = magnitude * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    if (magnitude > kMaxMagnitude) return std::nullopt;
  }

  constexpr std::uint64_t kMinMagnitude = 0x80000000ull;  // of INT32_MIN
  if (negative) {
    if (magnitude > kMinMagnitude) return std::nullopt;
    return static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude));
  }
  if (base == 10 && magnitude >= kMinMagnitude) return std::nullopt;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(magnitude));
}

}  // namespace vellumo
