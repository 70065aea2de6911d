#include "smtp/curl/Base64Lines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace vellumo {
namespace {

std::string Encoded(const std::string& input, std::size_t piece) {
  Base64Lines encoder;
  std::string out;
  for (std::size_t at = 0; at < input.size(); at += piece) {
    encoder.Add(input.data() + at, std::min(piece, input.size() - at), out);
  }
  encoder.Finish(out);
  return out;
}

TEST(Base64Lines, KnownVectors) {
  const std::pair<const char*, const char*> vectors[] = {{"", ""},
                                                         {"f", "Zg=="},
                                                         {"fo", "Zm8="},
                                                         {"foo", "Zm9v"},
                                                         {"foob", "Zm9vYg=="},
                                                         {"fooba", "Zm9vYmE="},
                                                         {"foobar", "Zm9vYmFy"}};
  for (const auto& [input, output] : vectors) EXPECT_EQ(Encoded(input, 100), output) << input;
}

// Lines of 76 characters joined by CRLF, none after the last; the same text
// whatever the pieces it was fed in, and exactly as long as announced.
TEST(Base64Lines, LinesPiecesAndSize) {
  for (const std::size_t size : {56u, 57u, 58u, 114u, 115u, 3001u}) {
    std::string input;
    for (std::size_t i = 0; i < size; ++i) input.push_back(static_cast<char>(i * 37 + 11));
    const std::string whole = Encoded(input, size);
    EXPECT_EQ(Encoded(input, 7), whole) << size;
    EXPECT_EQ(Encoded(input, 57), whole) << size;
    EXPECT_EQ(whole.size(), Base64Lines::EncodedSize(size)) << size;
    std::size_t lineStart = 0;
    for (std::size_t crlf = whole.find("\r\n"); crlf != std::string::npos;
         crlf = whole.find("\r\n", lineStart)) {
      EXPECT_EQ(crlf - lineStart, 76u) << size;
      lineStart = crlf + 2;
    }
    EXPECT_GT(whole.size() - lineStart, 0u) << size;
    EXPECT_LE(whole.size() - lineStart, 76u) << size;
  }
}

}  // namespace
}  // namespace vellumo
