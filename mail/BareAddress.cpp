#include "mail/BareAddress.h"

#include <string>

#include "mail/MailError.h"

namespace vellumo {

bool IsWireSafeAddress(std::string_view address) {
  std::size_t atCount = 0;
  for (const char ch : address) {
    const auto c = static_cast<unsigned char>(ch);
    if (c <= 0x20 || c == 0x7F) return false;
    switch (ch) {
      case '@':
        ++atCount;
        break;
      case '"':
      case '<':
      case '>':
      case ',':
      case ';':
      case '\\':
        return false;
      default:
        break;
    }
  }
  const std::size_t at = address.find('@');
  return atCount == 1 && at != 0 && at + 1 < address.size();
}

void ThrowInvalidAddress(std::string_view text) {
  throw MailError(MailErrorReason::InvalidAddress, std::string(text));
}

}  // namespace vellumo
