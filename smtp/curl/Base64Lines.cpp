#include "smtp/curl/Base64Lines.h"

#include <algorithm>
#include <cstring>

namespace vellumo {
namespace {

constexpr std::size_t kBytesPerLine = 57;
constexpr std::size_t kCharactersPerLine = 76;
constexpr char kAlphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The two characters of every 12-bit group: a triple of bytes is two
// look-ups instead of four shifts and masks.
struct PairTable {
  char pairs[4096][2];
  constexpr PairTable() : pairs() {
    for (int i = 0; i < 4096; ++i) {
      pairs[i][0] = kAlphabet[i >> 6];
      pairs[i][1] = kAlphabet[i & 63];
    }
  }
};
constexpr PairTable kPairs;

}  // namespace

std::uint64_t Base64Lines::EncodedSize(std::uint64_t bytes) {
  if (bytes == 0) return 0;
  const std::uint64_t characters = 4 * ((bytes + 2) / 3);
  const std::uint64_t lines = (bytes + kBytesPerLine - 1) / kBytesPerLine;
  return characters + 2 * (lines - 1);
}

void Base64Lines::Add(const char* data, std::size_t size, std::string& out) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(data);
  if (!waiting_.empty()) {
    const std::size_t taken = std::min(size, kBytesPerLine - waiting_.size());
    waiting_.append(data, taken);
    bytes += taken;
    size -= taken;
    if (waiting_.size() < kBytesPerLine) return;
    AppendLine(reinterpret_cast<const unsigned char*>(waiting_.data()), kBytesPerLine, out);
    waiting_.clear();
  }
  // Room for every whole line is made once, then written through a
  // pointer: appending character by character costs several times the
  // encoding itself.
  const std::size_t lines = size / kBytesPerLine;
  if (lines > 0) {
    const std::size_t at = out.size();
    out.resize(at + lines * (kCharactersPerLine + 2) - (wroteLine_ ? 0 : 2));
    char* to = out.data() + at;
    for (std::size_t n = 0; n < lines; ++n, bytes += kBytesPerLine, size -= kBytesPerLine) {
      to = Encode(bytes, kBytesPerLine, to);
    }
  }
  waiting_.assign(reinterpret_cast<const char*>(bytes), size);
}

void Base64Lines::Finish(std::string& out) {
  if (!waiting_.empty()) {
    AppendLine(reinterpret_cast<const unsigned char*>(waiting_.data()), waiting_.size(), out);
  }
  waiting_.clear();
}

void Base64Lines::Reset() {
  waiting_.clear();
  wroteLine_ = false;
}

void Base64Lines::AppendLine(const unsigned char* data, std::size_t size, std::string& out) {
  const std::size_t at = out.size();
  out.resize(at + (wroteLine_ ? 2 : 0) + 4 * ((size + 2) / 3));
  Encode(data, size, out.data() + at);
}

char* Base64Lines::Encode(const unsigned char* data, std::size_t size, char* to) {
  if (wroteLine_) {
    *to++ = '\r';
    *to++ = '\n';
  }
  wroteLine_ = true;
  std::size_t i = 0;
  for (; i + 3 <= size; i += 3) {
    const unsigned v = data[i] << 16 | data[i + 1] << 8 | data[i + 2];
    std::memcpy(to, kPairs.pairs[v >> 12], 2);
    std::memcpy(to + 2, kPairs.pairs[v & 4095u], 2);
    to += 4;
  }
  if (i < size) {
    const bool two = i + 1 < size;
    const unsigned v = data[i] << 16 | (two ? data[i + 1] << 8 : 0u);
    to[0] = kAlphabet[v >> 18];
    to[1] = kAlphabet[(v >> 12) & 63u];
    to[2] = two ? kAlphabet[(v >> 6) & 63u] : '=';
    to[3] = '=';
    to += 4;
  }
  return to;
}

}  // namespace vellumo
