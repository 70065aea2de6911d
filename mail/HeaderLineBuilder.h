#pragma once
// Builds one header line, "Name: value", folding it with CRLF and a blank
// between tokens so that its lines stay within 78 characters where the
// tokens allow it.
#include <cstddef>
#include <string>
#include <string_view>

namespace vellumo {

class HeaderLineBuilder {
 public:
  static constexpr std::size_t kLineLimit = 78;

  explicit HeaderLineBuilder(std::string_view name);

  // Characters left on the current line for a token placed after
  // `separator`.
  std::size_t Room(std::string_view separator) const;

  // Appends `separator` then `token`. When the token does not fit on the
  // current line and the separator ends with a blank, the line is folded
  // (also right after the colon): the separator loses its trailing blanks
  // and CRLF plus one blank starts the next line.
  void Append(std::string_view separator, std::string_view token);

  const std::string& Text() const { return text_; }

 private:
  std::string text_;
  std::size_t lineLength_;
};

}  // namespace vellumo
