#pragma once
// The message the host's file describes (sections Email and EmailCorps),
// composed once when the send is prepared.
#include <ctime>

#include "mail/OutgoingMessage.h"

namespace vellumo {

class IniDocument;

// Reads every mailbox once, builds the envelope and the header lines with
// `now` as the Date and in the Message-ID, joins the body lines and names the
// attached document (read only when it is sent). Throws MailError (its reason
// and the host's text) for an address it cannot read or that cannot go
// on the wire, for no sender and for no recipient at all.
OutgoingMessage ComposeMessage(const IniDocument& ini, std::time_t now);

}  // namespace vellumo
