#include "mail/HeaderLineBuilder.h"

namespace vellumo {

HeaderLineBuilder::HeaderLineBuilder(std::string_view name)
    : text_(std::string(name) + ":"), lineLength_(text_.size()) {}

std::size_t HeaderLineBuilder::Room(std::string_view separator) const {
  const std::size_t used = lineLength_ + separator.size();
  return used < kLineLimit ? kLineLimit - used : 0;
}

void HeaderLineBuilder::Append(std::string_view separator, std::string_view token) {
  const bool foldable = !separator.empty() && (separator.back() == ' ' || separator.back() == '\t');
  if (foldable && !token.empty() && token.size() > Room(separator)) {
    std::string_view kept = separator;
    while (!kept.empty() && (kept.back() == ' ' || kept.back() == '\t')) kept.remove_suffix(1);
    text_.append(kept);
    text_ += "\r\n ";
    text_.append(token);
    lineLength_ = 1 + token.size();
  } else {
    text_.append(separator);
    text_.append(token);
    lineLength_ += separator.size() + token.size();
  }
}

}  // namespace vellumo
