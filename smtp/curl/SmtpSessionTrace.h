#pragma once
// Follows one SMTP exchange through libcurl's debug stream, so that a
// failure can say which command the server refused and what it answered.
// Only command names and the MAIL/RCPT addresses are kept: the AUTH lines
// carry credentials and are never stored.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "smtp/SmtpStep.h"

namespace vellumo {

class SmtpSessionTrace {
 public:
  // Forgets everything but the EHLO keywords: called before each transfer.
  void Reset();
  // A chunk libcurl reported as sent protocol text.
  void OnCommandSent(std::string_view bytes);
  // A chunk libcurl reported as received protocol text (one or more lines).
  void OnReplyReceived(std::string_view bytes);

  SmtpStep Step() const { return step_; }
  // Address of the last MAIL FROM and of the last RCPT TO, without brackets.
  const std::string& Sender() const { return sender_; }
  const std::string& Recipient() const { return recipient_; }
  // Code and text of the reply to the last command (or of the greeting);
  // 0 and empty while none came. QUIT and its reply are left out.
  int ReplyCode() const { return replyCode_; }
  const std::string& ReplyText() const { return replyText_; }
  // The reply that refused EHLO before libcurl fell back to HELO; 0 and
  // empty when EHLO was not refused.
  int RefusedEhloCode() const { return refusedEhloCode_; }
  const std::string& RefusedEhloText() const { return refusedEhloText_; }
  // True once a STARTTLS or AUTH command was sent in this transfer.
  bool SentStartTls() const { return sentStartTls_; }
  bool SentLogin() const { return sentLogin_; }
  // True while the last command sent still waits for its final reply; after
  // a 354 the reply to the message itself is awaited.
  bool AwaitingReply() const { return awaitingReply_; }
  // True when the server listed `keyword` (upper case, e.g. "SMTPUTF8") in
  // its reply to the last EHLO. The keywords belong to the connection and
  // outlive a transfer: a reused connection says EHLO only once.
  bool Offers(std::string_view keyword) const;

 private:
  void OnReplyLine(std::string_view line);

  SmtpStep step_ = SmtpStep::Connecting;
  std::string sender_;
  std::string recipient_;
  int replyCode_ = 0;
  std::string replyText_;
  int refusedEhloCode_ = 0;
  std::string refusedEhloText_;
  std::string pendingText_;  // text of a multi-line reply being read
  std::string partialLine_;  // a line split across chunks
  std::vector<std::string> ehloKeywords_;
  bool readingEhloKeywords_ = false;  // past the first line of the EHLO reply
  bool inReply_ = false;
  bool sentStartTls_ = false;
  bool sentLogin_ = false;
  bool sentHelo_ = false;  // the last greeting command was HELO, not EHLO
  bool quitting_ = false;
  bool awaitingReply_ = false;
};

}  // namespace vellumo
