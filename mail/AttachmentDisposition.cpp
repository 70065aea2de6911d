// The attached document's Content-Disposition header. A name that is not
// short printable ASCII goes in RFC 2231 form alone: mail readers that know
// both forms disagree on which wins when a plain "filename" comes with it,
// and some then show the plain one.
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "mail/AttachmentHeaders.h"
#include "mail/HeaderLineBuilder.h"
#include "text/Utf8.h"

namespace vellumo {

namespace {

constexpr std::size_t kMaxPlainName = 60;
// Encoded characters per RFC 2231 segment, so that each folded line of the
// header stays under 78 characters.
constexpr std::size_t kSegmentLength = 56;
constexpr std::string_view kCharsetPrefix = "UTF-8''";

bool CanGoPlain(std::string_view name) {
  return name.size() <= kMaxPlainName && name.find("=?") == std::string_view::npos &&
         std::all_of(name.begin(), name.end(),
                     [](char c) { return c >= 0x20 && c < 0x7F && c != '"' && c != '\\'; });
}

bool IsAttributeChar(char c) {
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  return std::string_view("!#$&+-.^_`|~").find(c) != std::string_view::npos;
}

std::string PercentEncoded(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : bytes) {
    if (IsAttributeChar(c)) {
      out += c;
    } else {
      const auto u = static_cast<unsigned char>(c);
      out += '%';
      out += kHex[u >> 4];
      out += kHex[u & 15];
    }
  }
  return out;
}

// The name percent-encoded, cut into segments on character boundaries so
// that no reader has to join a character split across two of them.
std::vector<std::string> EncodedSegments(std::string_view name) {
  std::vector<std::string> segments(1);
  std::size_t limit = kSegmentLength - kCharsetPrefix.size();
  std::size_t pos = 0;
  while (pos < name.size()) {
    const std::size_t step = Utf8Step(name, pos);
    std::string encoded = PercentEncoded(name.substr(pos, step));
    if (!segments.back().empty() && segments.back().size() + encoded.size() > limit) {
      segments.emplace_back();
      limit = kSegmentLength;
    }
    segments.back() += encoded;
    pos += step;
  }
  return segments;
}

}  // namespace

std::string AttachmentDispositionHeader(const std::string& fileName) {
  HeaderLineBuilder line("Content-Disposition");
  line.Append(" ", "attachment");
  if (fileName.empty()) return line.Text();
  if (CanGoPlain(fileName)) {
    line.Append("; ", "filename=\"" + fileName + "\"");
    return line.Text();
  }
  const std::vector<std::string> segments = EncodedSegments(fileName);
  if (segments.size() == 1) {
    line.Append("; ", "filename*=" + std::string(kCharsetPrefix) + segments.front());
    return line.Text();
  }
  for (std::size_t i = 0; i < segments.size(); ++i) {
    std::string parameter = "filename*" + std::to_string(i) + "*=";
    if (i == 0) parameter += kCharsetPrefix;
    line.Append("; ", parameter + segments[i]);
  }
  return line.Text();
}

}  // namespace vellumo
