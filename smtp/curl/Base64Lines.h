#pragma once
// Base64 for a MIME body part, fed piece by piece: lines of 76 characters
// separated by CRLF, with no CRLF after the last line (the part's boundary
// brings its own).
#include <cstddef>
#include <cstdint>
#include <string>

namespace vellumo {

class Base64Lines {
 public:
  // The length of the whole text for `bytes` bytes of input.
  static std::uint64_t EncodedSize(std::uint64_t bytes);

  // Appends to `out` every whole line the input so far makes; up to one
  // line's worth of input waits for more.
  void Add(const char* data, std::size_t size, std::string& out);
  // Appends the last, padded line.
  void Finish(std::string& out);
  // Starts again from nothing.
  void Reset();

 private:
  void AppendLine(const unsigned char* data, std::size_t size, std::string& out);
  // Writes one line (after a CRLF unless it is the first) at `to`; returns
  // the end of what it wrote.
  char* Encode(const unsigned char* data, std::size_t size, char* to);

  std::string waiting_;
  bool wroteLine_ = false;
};

}  // namespace vellumo
