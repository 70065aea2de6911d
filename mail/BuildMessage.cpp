// The send procedure's building phase: the message and its one attachment.
#include <new>
#include <utility>

#include "app/UnitFicheVellumo.h"
#include "mail/AddressParser.h"
#include "mail/MailMessage.h"
#include "mail/MessageSettings.h"

namespace vellumo {

namespace {
constexpr const char* kNoAttachmentText =
    "Erreur : impossible d'initialiser le composant Attachment ou Message liste";
}  // namespace

std::unique_ptr<MailMessage> TFicheVellumo::BuildMessage(const MessageSettings& settings) {
  auto message = std::make_unique<MailMessage>();
  message->Clear();

  AttachmentFile* attachment = message->AddAttachment(DocumentPath());
  if (!attachment) {
    RaiseFailure(kNoAttachmentText);
    return message;
  }

  message->Body = settings.bodyLines;
  message->From.SetText(settings.sender);
  for (EmailAddressItem& item : ParseSenderAddresses(settings.sender)) {
    message->ReplyTo.Add() = std::move(item);
  }
  if (settings.receiptRequested) message->ReceiptRecipient.SetText(settings.sender);
  message->Recipients.SetEMailAddresses(settings.recipients);
  message->Subject = settings.subject;
  message->Priority = static_cast<std::uint8_t>(static_cast<std::uint32_t>(settings.priority) & 0xFFu);
  attachment->FileName = DocumentFileName();

  FillCopyList(settings.copyRecipients, message->CCList);
  FillCopyList(settings.blindCopyRecipients, message->BccList);
  return message;
}

void TFicheVellumo::FillCopyList(const std::string& text, EmailAddressList& list) const {
  if (text.empty()) return;
  if (text.find(';') == std::string::npos) {
    list.SetEMailAddresses(text);
    return;
  }
  // Each piece is kept exactly as written; the wire format trims it.
  for (const auto& piece : SplitAddresses(text)) list.Add().Address = piece;
}

}  // namespace vellumo
