#pragma once
// Where an SMTP session was when something failed: the command whose reply
// was awaited, or the moments before the first command.
#include <cstdint>

namespace vellumo {

enum class SmtpStep : std::uint8_t {
  Connecting,  // nothing heard from the server yet
  Greeting,    // the server spoke first, no command sent yet
  Ehlo,
  StartTls,
  Login,
  Noop,
  MailFrom,
  Recipient,
  Data,
  MessageEnd,  // the message was sent, waiting for its acceptance
  Other,
};

}  // namespace vellumo
