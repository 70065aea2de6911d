#pragma once
// An address whose local part (before the '@') is not ASCII can only travel
// under SMTPUTF8. libcurl adds the parameter to MAIL FROM itself when the
// server offered the extension; to any other server the address would go
// out as raw 8-bit bytes, so the send stops before MAIL FROM instead.
#include "mail/OutgoingMessage.h"

namespace vellumo {

// Throws SmtpFailure naming the envelope's first such address when there is
// one and the server did not offer SMTPUTF8.
void RequireSmtpUtf8Support(const MessageEnvelope& envelope, bool serverOffersSmtpUtf8);

}  // namespace vellumo
