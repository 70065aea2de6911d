#include "smtp/curl/Base64Lines.h"

#include <algorithm>

namespace vellumo {
namespace {

constexpr std::size_t kBytesPerLine = 57;  // 76 characters
constexpr const char* kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

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
  out.reserve(out.size() + (size / kBytesPerLine) * 78);
  for (; size >= kBytesPerLine; bytes += kBytesPerLine, size -= kBytesPerLine) {
    AppendLine(bytes, kBytesPerLine, out);
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
  if (wroteLine_) out += "\r\n";
  wroteLine_ = true;
  std::size_t i = 0;
  for (; i + 3 <= size; i += 3) {
    const unsigned v = data[i] << 16 | data[i + 1] << 8 | data[i + 2];
    out += kAlphabet[v >> 18];
    out += kAlphabet[(v >> 12) & 63u];
    out += kAlphabet[(v >> 6) & 63u];
    out += kAlphabet[v & 63u];
  }
  if (i < size) {
    const bool two = i + 1 < size;
    const unsigned v = data[i] << 16 | (two ? data[i + 1] << 8 : 0u);
    out += kAlphabet[v >> 18];
    out += kAlphabet[(v >> 12) & 63u];
    out += two ? kAlphabet[(v >> 6) & 63u] : '=';
    out += '=';
  }
}

}  // namespace vellumo
