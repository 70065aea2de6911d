#include "mail/MessageWireFormat.h"

#include <algorithm>
#include <string_view>

#include "mail/AddressParser.h"
#include "mail/AsciiDomain.h"
#include "mail/BareAddress.h"
#include "mail/HeaderEncoding.h"
#include "mail/HeaderLineBuilder.h"
#include "mail/MailDate.h"
#include "mail/MessageId.h"
#include "mail/PriorityHeaders.h"
#include "smtp/MailError.h"
#include "text/AsciiText.h"

namespace vellumo {

namespace {

constexpr std::string_view kNoSender =
    "Erreur : l'adresse de l'expéditeur du message est vide.";
constexpr std::string_view kNoRecipient = "Erreur : le message n'a aucun destinataire.";

// A list's entries may have been filled raw, one piece of the host's text
// each, such as " Jean <j@x.fr>": such a piece is read as one mailbox so
// that its display name stays in the header and its address alone goes in
// the envelope.
EmailAddressItem WireItem(const EmailAddressItem& item) {
  if (item.Name.empty() && item.Address.find('<') != std::string::npos)
    return ParseMailbox(item.Address);
  return item;
}

// Blanks around raw entries are dropped, blank entries skipped.
void AddRecipients(const EmailAddressList& list, std::vector<std::string>& recipients,
                   std::vector<std::string>& seen) {
  for (const EmailAddressItem& raw : list.Items()) {
    const EmailAddressItem item = WireItem(raw);
    const std::string_view address = TrimBlanks(item.Address);
    if (address.empty()) continue;
    if (!IsWireSafeAddress(address)) ThrowInvalidAddress(address);
    std::string ascii = WithAsciiDomain(address);
    std::string key = LowerAscii(ascii);
    if (std::find(seen.begin(), seen.end(), key) != seen.end()) continue;
    seen.push_back(std::move(key));
    recipients.push_back(std::move(ascii));
  }
}

// "Name: a, b, c", folded between the mailboxes; empty when no entry has
// an address.
std::string AddressListHeader(std::string_view name, const EmailAddressList& list) {
  HeaderLineBuilder line(name);
  std::string_view separator = " ";
  for (const EmailAddressItem& item : list.Items()) {
    if (AppendMailbox(line, separator, WireItem(item))) separator = ", ";
  }
  return separator == " " ? std::string() : line.Text();
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

}  // namespace

MailEnvelope BuildEnvelope(const MailMessage& message) {
  MailEnvelope envelope;
  const std::string_view sender = TrimBlanks(message.From.Address);
  if (sender.empty()) throw MailError(std::string(kNoSender));
  if (!IsWireSafeAddress(sender)) ThrowInvalidAddress(sender);
  envelope.MailFrom = WithAsciiDomain(sender);

  std::vector<std::string> seen;
  AddRecipients(message.Recipients, envelope.Recipients, seen);
  AddRecipients(message.CCList, envelope.Recipients, seen);
  AddRecipients(message.BccList, envelope.Recipients, seen);
  if (envelope.Recipients.empty()) throw MailError(std::string(kNoRecipient));
  return envelope;
}

std::vector<std::string> BuildTopLevelHeaders(const MailMessage& message, std::time_t now,
                                              const std::string& messageIdDomain) {
  std::vector<std::string> headers;
  headers.push_back("Date: " + FormatMailDate(now));

  HeaderLineBuilder from("From");
  if (!AppendMailbox(from, " ", message.From)) from.Append(" ", "");
  headers.push_back(from.Text());

  if (std::string replyTo = AddressListHeader("Reply-To", message.ReplyTo); !replyTo.empty()) {
    headers.push_back(std::move(replyTo));
  }
  std::string to = AddressListHeader("To", message.Recipients);
  std::string cc = AddressListHeader("Cc", message.CCList);
  if (!to.empty()) {
    headers.push_back(std::move(to));
  } else if (cc.empty()) {
    // Blind copies only: say so rather than leave readers guessing.
    headers.push_back("To: undisclosed-recipients:;");
  }
  if (!cc.empty()) headers.push_back(std::move(cc));

  HeaderLineBuilder subject("Subject");
  AppendUnstructured(subject, " ", message.Subject);
  headers.push_back(subject.Text());

  headers.push_back("Message-ID: " + MakeMessageId(now, messageIdDomain));
  // libcurl adds its own "Mime-Version" only when the headers lack one.
  headers.push_back("MIME-Version: 1.0");
  for (std::string& line : PriorityHeaderLines(message.Priority)) {
    headers.push_back(std::move(line));
  }

  HeaderLineBuilder receipt("Disposition-Notification-To");
  if (AppendMailbox(receipt, " ", message.ReceiptRecipient)) headers.push_back(receipt.Text());
  return headers;
}

std::string BuildBodyText(const MailMessage& message) {
  std::string text;
  for (std::size_t i = 0; i < message.Body.size(); ++i) {
    if (i > 0) text += "\r\n";
    AppendWithCrlf(text, message.Body[i]);
  }
  return text;
}

}  // namespace vellumo
