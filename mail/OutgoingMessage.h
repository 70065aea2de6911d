#pragma once
// The message as it goes on the wire, composed once before the send: the
// envelope, the top-level header lines already folded and encoded, the body
// text and the attached document's part headers. The mail client only puts
// these on the wire and adds the MIME structure around them; it reads
// nothing from the host's file and makes no header of its own.
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vellumo {

struct MessageEnvelope {
  std::string MailFrom;                 // bare address for MAIL FROM
  std::vector<std::string> Recipients;  // bare addresses: To, then Cc, then Bcc; no repeats
  // The first of these addresses (sender first) whose local part is not
  // ASCII: it can only travel under SMTPUTF8. Empty when there is none.
  std::string NeedsSmtpUtf8;
  // Domains are already in their ASCII form; only a local part may be UTF-8.
};

struct MessageAttachment {
  std::string Path;         // read when the send begins, as it is then
  std::string Name;         // the name the reader sees
  std::string ContentType;  // "application/pdf"
  // "Content-Disposition: attachment; filename...", folded.
  std::string Disposition;
};

class OutgoingMessage {
 public:
  // The body is plain UTF-8 text; the client picks a transfer encoding that
  // keeps its lines short.
  static constexpr const char* kBodyContentType = "text/plain; charset=UTF-8";

  OutgoingMessage(MessageEnvelope envelope, std::vector<std::string> headers, std::string body,
                  std::optional<MessageAttachment> attachment)
      : envelope_(std::move(envelope)),
        headers_(std::move(headers)),
        body_(std::move(body)),
        attachment_(std::move(attachment)) {}

  const MessageEnvelope& Envelope() const { return envelope_; }
  // "Name: value" lines, without CRLF at the end, never with a bare line
  // break: Date, From, Reply-To, To, Cc (never Bcc), Subject, Message-ID,
  // MIME-Version, the priority lines, Disposition-Notification-To.
  const std::vector<std::string>& Headers() const { return headers_; }
  // The body lines joined with CRLF.
  const std::string& Body() const { return body_; }
  const std::optional<MessageAttachment>& Attachment() const { return attachment_; }

 private:
  MessageEnvelope envelope_;
  std::vector<std::string> headers_;
  std::string body_;
  std::optional<MessageAttachment> attachment_;
};

}  // namespace vellumo
