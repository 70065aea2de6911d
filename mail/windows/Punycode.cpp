#include "mail/windows/Punycode.h"

#include <algorithm>
#include <cstdint>

namespace vellumo {
namespace {

constexpr std::uint64_t kBase = 36;
constexpr std::uint64_t kTMin = 1;
constexpr std::uint64_t kTMax = 26;
constexpr std::uint64_t kSkew = 38;
constexpr std::uint64_t kDamp = 700;

char Digit(std::uint64_t d) { return static_cast<char>(d < 26 ? 'a' + d : '0' + (d - 26)); }

std::uint64_t Adapt(std::uint64_t delta, std::uint64_t points, bool first) {
  delta = first ? delta / kDamp : delta / 2;
  delta += delta / points;
  std::uint64_t k = 0;
  while (delta > ((kBase - kTMin) * kTMax) / 2) {
    delta /= kBase - kTMin;
    k += kBase;
  }
  return k + (kBase - kTMin + 1) * delta / (delta + kSkew);
}

}  // namespace

std::string Punycode(const std::u32string& label) {
  std::string out;
  for (const char32_t c : label) {
    if (c < 0x80) out += static_cast<char>(c);
  }
  const std::uint64_t basic = out.size();
  if (basic > 0) out += '-';
  std::uint64_t n = 0x80;
  std::uint64_t delta = 0;
  std::uint64_t bias = 72;
  for (std::uint64_t handled = basic; handled < label.size(); ++delta, ++n) {
    std::uint64_t next = UINT32_MAX;
    for (const char32_t c : label) {
      if (c >= n) next = std::min<std::uint64_t>(next, c);
    }
    delta += (next - n) * (handled + 1);
    n = next;
    for (const char32_t c : label) {
      if (c < n) ++delta;
      if (c != n) continue;
      std::uint64_t q = delta;
      for (std::uint64_t k = kBase;; k += kBase) {
        const std::uint64_t t = k <= bias ? kTMin : k >= bias + kTMax ? kTMax : k - bias;
        if (q < t) break;
        out += Digit(t + (q - t) % (kBase - t));
        q = (q - t) / (kBase - t);
      }
      out += Digit(q);
      bias = Adapt(delta, handled + 1, handled == basic);
      delta = 0;
      ++handled;
    }
  }
  return out;
}

}  // namespace vellumo
