#include "mail/ComposeMessage.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

#include "config/IniDocument.h"
#include "config/IniKeys.h"
#include "mail/AddressParser.h"
#include "mail/AsciiDomain.h"
#include "mail/AttachmentHeaders.h"
#include "mail/HeaderEncoding.h"
#include "mail/HeaderLineBuilder.h"
#include "mail/MailDate.h"
#include "mail/MailError.h"
#include "mail/MessageId.h"
#include "mail/PriorityHeaders.h"
#include "text/AsciiText.h"

namespace vellumo {

namespace {

// The mailboxes of the host's text, each read once.
struct Mailboxes {
  Mailbox from;
  std::vector<Mailbox> replyTo;
  std::optional<Mailbox> receipt;  // a read receipt is asked of the reader
  std::vector<Mailbox> to;
  std::vector<Mailbox> cc;
  std::vector<Mailbox> bcc;
};

Mailboxes ReadMailboxes(const IniDocument& ini) {
  const std::string sender = ini.ReadString(keys::kEmail, keys::kSender, "");
  Mailboxes boxes;
  boxes.from = ParseMailbox(sender);
  boxes.replyTo = ParseSenderAddresses(sender);
  if (ini.ReadBool(keys::kEmail, keys::kReceipt, keys::kReceiptDefault)) boxes.receipt = boxes.from;
  boxes.to = ParseMailboxList(ini.ReadString(keys::kEmail, keys::kRecipients, ""));
  boxes.cc = SplitAddresses(ini.ReadString(keys::kEmail, keys::kCopy, ""));
  boxes.bcc = SplitAddresses(ini.ReadString(keys::kEmail, keys::kBlindCopy, ""));
  return boxes;
}

void AddRecipients(const std::vector<Mailbox>& list, std::vector<std::string>& recipients,
                   std::vector<std::string>& seen) {
  for (const Mailbox& mailbox : list) {
    std::string ascii = WithAsciiDomain(mailbox.Address);
    std::string key = LowerAscii(ascii);
    if (std::find(seen.begin(), seen.end(), key) != seen.end()) continue;
    seen.push_back(std::move(key));
    recipients.push_back(std::move(ascii));
  }
}

bool HasAsciiLocalPart(std::string_view address) {
  const std::string_view local = address.substr(0, address.rfind('@'));
  return std::all_of(local.begin(), local.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

MessageEnvelope BuildEnvelope(const Mailboxes& boxes) {
  MessageEnvelope envelope;
  if (boxes.from.Address.empty()) throw MailError(MailErrorReason::NoSender);
  envelope.MailFrom = WithAsciiDomain(boxes.from.Address);

  std::vector<std::string> seen;
  AddRecipients(boxes.to, envelope.Recipients, seen);
  AddRecipients(boxes.cc, envelope.Recipients, seen);
  AddRecipients(boxes.bcc, envelope.Recipients, seen);
  if (envelope.Recipients.empty()) throw MailError(MailErrorReason::NoRecipient);

  if (!HasAsciiLocalPart(envelope.MailFrom)) {
    envelope.NeedsSmtpUtf8 = envelope.MailFrom;
  } else if (const auto it = std::find_if_not(envelope.Recipients.begin(),
                                              envelope.Recipients.end(), HasAsciiLocalPart);
             it != envelope.Recipients.end()) {
    envelope.NeedsSmtpUtf8 = *it;
  }
  return envelope;
}

// "Name: a, b, c", folded between the mailboxes; empty for an empty list.
std::string AddressListHeader(std::string_view name, const std::vector<Mailbox>& list) {
  HeaderLineBuilder line(name);
  std::string_view separator = " ";
  for (const Mailbox& mailbox : list) {
    if (AppendMailbox(line, separator, mailbox)) separator = ", ";
  }
  return separator == " " ? std::string() : line.Text();
}

std::vector<std::string> BuildHeaders(const IniDocument& ini, const Mailboxes& boxes,
                                      const MessageEnvelope& envelope, std::time_t now) {
  std::vector<std::string> headers;
  headers.push_back("Date: " + FormatMailDate(now));

  HeaderLineBuilder from("From");
  AppendMailbox(from, " ", boxes.from);
  headers.push_back(from.Text());

  if (std::string replyTo = AddressListHeader("Reply-To", boxes.replyTo); !replyTo.empty()) {
    headers.push_back(std::move(replyTo));
  }
  std::string to = AddressListHeader("To", boxes.to);
  std::string cc = AddressListHeader("Cc", boxes.cc);
  if (!to.empty()) {
    headers.push_back(std::move(to));
  } else if (cc.empty()) {
    // Blind copies only: say so rather than leave readers guessing.
    headers.push_back("To: undisclosed-recipients:;");
  }
  if (!cc.empty()) headers.push_back(std::move(cc));

  HeaderLineBuilder subject("Subject");
  AppendUnstructured(subject, " ", ini.ReadString(keys::kEmail, keys::kSubject, ""));
  headers.push_back(subject.Text());

  // The sender's domain names our Message-IDs.
  const std::string& mailFrom = envelope.MailFrom;
  headers.push_back("Message-ID: " + MakeMessageId(now, mailFrom.substr(mailFrom.rfind('@') + 1)));
  // libcurl adds its own "Mime-Version" only when the headers lack one.
  headers.push_back("MIME-Version: 1.0");
  // The host's level keeps its low eight bits, as the host's own form did.
  const auto priority =
      static_cast<std::uint8_t>(static_cast<std::uint32_t>(ini.ReadInteger(
                                    keys::kEmail, keys::kPriority, keys::kPriorityDefault)) &
                                0xFFu);
  for (std::string& line : PriorityHeaderLines(priority)) headers.push_back(std::move(line));

  if (boxes.receipt) {
    HeaderLineBuilder receipt("Disposition-Notification-To");
    AppendMailbox(receipt, " ", *boxes.receipt);
    headers.push_back(receipt.Text());
  }
  return headers;
}

// Body lines come from INI values, but a line break inside one must still
// reach the wire as CRLF and nothing else.
void AppendWithCrlf(std::string& out, std::string_view line) {
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '\r' || line[i] == '\n') {
      if (line[i] == '\r' && i + 1 < line.size() && line[i + 1] == '\n') ++i;
      out += "\r\n";
    } else {
      out += line[i];
    }
  }
}

// Each key of section EmailCorps is one line, its value the text after the
// first "=": "L1=Total = 42" gives "Total = 42".
std::string BuildBody(const IniDocument& ini) {
  const std::vector<std::string> lines = ini.ReadSectionValues(keys::kBody);
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += "\r\n";
    const std::size_t equals = lines[i].find('=');
    AppendWithCrlf(text, equals == std::string::npos
                             ? std::string_view(lines[i])
                             : std::string_view(lines[i]).substr(equals + 1));
  }
  return text;
}

MessageAttachment DescribeAttachment(const IniDocument& ini) {
  MessageAttachment attachment;
  attachment.Path = ini.ReadString(keys::kEmail, keys::kDocumentPath, "");
  attachment.Name = ini.ReadString(keys::kEmail, keys::kDocumentName, "");
  attachment.ContentType = ContentTypeForFileName(attachment.Name);
  attachment.Disposition = AttachmentDispositionHeader(attachment.Name);
  return attachment;
}

}  // namespace

OutgoingMessage ComposeMessage(const IniDocument& ini, std::time_t now) {
  const Mailboxes boxes = ReadMailboxes(ini);
  MessageEnvelope envelope = BuildEnvelope(boxes);
  std::vector<std::string> headers = BuildHeaders(ini, boxes, envelope, now);
  return OutgoingMessage(std::move(envelope), std::move(headers), BuildBody(ini),
                         DescribeAttachment(ini));
}

}  // namespace vellumo
