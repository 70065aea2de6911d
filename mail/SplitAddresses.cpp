#include "mail/AddressParser.h"

namespace vellumo {

std::vector<Mailbox> SplitAddresses(std::string_view text) {
  if (text.find(';') == std::string_view::npos) return ParseMailboxList(text);
  std::vector<Mailbox> mailboxes;
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t semicolon = std::min(text.find(';', start), text.size());
    Mailbox mailbox = ParseMailbox(text.substr(start, semicolon - start));
    if (!mailbox.IsEmpty()) mailboxes.push_back(std::move(mailbox));
    start = semicolon + 1;
  }
  return mailboxes;
}

}  // namespace vellumo
