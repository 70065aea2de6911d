#pragma once
// What the mail client puts on the wire for a MailMessage, apart from the
// MIME structure that libcurl builds: the envelope, the top-level header
// lines, the body text and the attachment's part headers. Pure functions,
// no I/O; every text reaches the wire without CR or LF.
#include <ctime>
#include <string>
#include <vector>

#include "mail/MailMessage.h"

namespace vellumo {

struct MailEnvelope {
  std::string MailFrom;                 // bare address for MAIL FROM
  std::vector<std::string> Recipients;  // bare addresses: To, then Cc, then Bcc
};

// Throws MailError when there is no sender, no recipient at all, or an
// address that cannot go on the wire. Blank entries are skipped and entries
// are trimmed.
MailEnvelope BuildEnvelope(const MailMessage& message);

// "Name: value" lines, already folded and RFC 2047-encoded where needed:
// Date, From, Reply-To, To, Cc (never Bcc), Subject, Message-ID,
// MIME-Version, the priority headers, Disposition-Notification-To when a
// read receipt is asked.
std::vector<std::string> BuildTopLevelHeaders(const MailMessage& message, std::time_t now,
                                              const std::string& messageIdDomain);

// The body lines joined with CRLF (UTF-8; the caller picks a transfer
// encoding that keeps lines short).
std::string BuildBodyText(const MailMessage& message);

// Content type guessed from the file name's extension, or
// application/octet-stream.
std::string ContentTypeForFileName(const std::string& fileName);

// "Content-Disposition: attachment; filename=...; filename*=UTF-8''..."
// with a plain ASCII fallback name and the exact name in RFC 2231 form.
std::string AttachmentDispositionHeader(const std::string& fileName);

}  // namespace vellumo
