#pragma once
// One mail message as the send procedure fills it: address items and lists,
// subject, priority, body lines and one attached file. Setting an item's or
// a list's text parses it and throws MailError (French, quoting the text)
// when it cannot be read.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vellumo {

struct EmailAddressItem {
  std::string Name;     // display name, UTF-8, may be empty
  std::string Address;  // the address itself, as written

  // One address, optionally with a display name: "a@b.fr",
  // "Jean Dupont <a@b.fr>", "\"Dupont, Jean\" <a@b.fr>".
  void SetText(const std::string& text);
  bool IsEmpty() const { return Name.empty() && Address.empty(); }
};

class EmailAddressList {
 public:
  // A list of addresses separated by "," or ";" (hosts write either).
  // Replaces the list's content.
  void SetEMailAddresses(const std::string& text);
  // A new empty entry at the end; the caller fills it.
  EmailAddressItem& Add();
  const std::vector<EmailAddressItem>& Items() const { return items_; }
  bool Empty() const { return items_.empty(); }
  void Clear() { items_.clear(); }

 private:
  std::vector<EmailAddressItem> items_;
};

struct AttachmentFile {
  std::string StoredPath;  // where the file is read from when sending
  std::string FileName;    // the name shown in the message
};

enum class MessagePriority : std::uint8_t {
  Highest = 0,
  High = 1,
  Normal = 2,
  Low = 3,
  Lowest = 4,
};

class MailMessage {
 public:
  MailMessage() = default;
  MailMessage(const MailMessage& other) { *this = other; }
  MailMessage& operator=(const MailMessage& other) {
    if (this == &other) return *this;
    From = other.From;
    ReplyTo = other.ReplyTo;
    ReceiptRecipient = other.ReceiptRecipient;
    Recipients = other.Recipients;
    CCList = other.CCList;
    BccList = other.BccList;
    Subject = other.Subject;
    Priority = other.Priority;
    Body = other.Body;
    attachment_ = other.attachment_ ? std::make_unique<AttachmentFile>(*other.attachment_) : nullptr;
    return *this;
  }
  MailMessage(MailMessage&&) = default;
  MailMessage& operator=(MailMessage&&) = default;

  // Back to the empty state: no address, no subject, normal priority, no
  // body and no attachment.
  void Clear();

  // The message's one attachment, read from `storedPath` when sent; its
  // FileName starts as the last element of the path.
  AttachmentFile* AddAttachment(const std::string& storedPath);
  const AttachmentFile* Attachment() const { return attachment_.get(); }
  AttachmentFile* Attachment() { return attachment_.get(); }
  void RemoveAttachment() { attachment_.reset(); }

  EmailAddressItem From;
  EmailAddressList ReplyTo;
  EmailAddressItem ReceiptRecipient;  // empty: no read receipt asked
  EmailAddressList Recipients;
  EmailAddressList CCList;
  EmailAddressList BccList;
  std::string Subject;
  // Raw level; values above 4 are sent as normal.
  std::uint8_t Priority = static_cast<std::uint8_t>(MessagePriority::Normal);
  std::vector<std::string> Body;

 private:
  std::unique_ptr<AttachmentFile> attachment_;
};

}  // namespace vellumo
