#include "mail/MailMessage.h"

#include "mail/AddressParser.h"

namespace vellumo {

void EmailAddressItem::SetText(const std::string& text) { *this = ParseMailbox(text); }

void EmailAddressList::SetEMailAddresses(const std::string& text) {
  items_ = ParseMailboxList(text);
}

EmailAddressItem& EmailAddressList::Add() { return items_.emplace_back(); }

void MailMessage::Clear() {
  From = {};
  ReplyTo.Clear();
  ReceiptRecipient = {};
  Recipients.Clear();
  CCList.Clear();
  BccList.Clear();
  Subject.clear();
  Priority = static_cast<std::uint8_t>(MessagePriority::Normal);
  Body.clear();
  attachment_.reset();
}

AttachmentFile* MailMessage::AddAttachment(const std::string& storedPath) {
  auto attachment = std::make_unique<AttachmentFile>();
  attachment->StoredPath = storedPath;
  // Hosts write either separator, whatever the platform.
  const std::size_t slash = storedPath.find_last_of("/\\");
  attachment->FileName = slash == std::string::npos ? storedPath : storedPath.substr(slash + 1);
  attachment_ = std::move(attachment);
  return attachment_.get();
}

}  // namespace vellumo
