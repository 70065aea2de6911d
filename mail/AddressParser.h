#pragma once
// Reads the address texts that the host writes: one mailbox, or a list of
// them separated by "," or ";".
#include <string_view>
#include <vector>

#include "mail/Mailbox.h"

namespace vellumo {

// One address with an optional display name: "a@b.fr", "<a@b.fr>",
// "Jean Dupont <a@b.fr>", "\"Dupont, Jean\" <a@b.fr>". A blank text gives
// an empty mailbox. Throws MailError for a text it cannot read.
Mailbox ParseMailbox(std::string_view text);

// Addresses separated by "," or ";" outside quotes and angle brackets;
// blank pieces are skipped. Throws MailError for a piece it cannot read.
std::vector<Mailbox> ParseMailboxList(std::string_view text);

// A sender text, for the reply addresses: the list when it reads as one,
// otherwise the one mailbox it is, since hosts leave a comma in a display
// name unquoted ("Dupont, Jean <jean@exemple.fr>"). Throws MailError when
// it is neither.
std::vector<Mailbox> ParseSenderAddresses(std::string_view text);

// A copy or blind-copy list as hosts write it: without ";" it is read as a
// list (see ParseMailboxList); with ";" it is cut at every ";", whatever
// quotes or brackets say, and each piece is one mailbox. Blank pieces are
// skipped. Throws MailError for a piece it cannot read.
std::vector<Mailbox> SplitAddresses(std::string_view text);

}  // namespace vellumo
