#pragma once
// What the user reads when the message cannot be composed: which address
// is wrong, quoted as the host wrote it (printable characters only, cut to
// a sane length), or what is missing.
#include <string>

namespace vellumo {

class MailError;

std::string MailErrorText(const MailError& error);

}  // namespace vellumo
