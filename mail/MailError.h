#pragma once
// A message that cannot be composed: an address the host wrote that cannot
// be read or cannot go on the wire, no sender, no recipient. It carries the
// facts, never a sentence: the run turns them into the text the user reads.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>

namespace vellumo {

enum class MailErrorReason : std::uint8_t {
  InvalidAddress,  // Text(): the address or list piece as the host wrote it
  NoSender,
  NoRecipient,
};

class MailError : public std::runtime_error {
 public:
  explicit MailError(MailErrorReason reason, std::string text = {})
      : std::runtime_error(Summary(reason)), reason_(reason), text_(std::move(text)) {}

  MailErrorReason Reason() const noexcept { return reason_; }
  // The host's text concerned, not made printable; empty when none is.
  const std::string& Text() const noexcept { return text_; }

 private:
  // A short English summary for logs; the host's text stays out of it.
  static const char* Summary(MailErrorReason reason) {
    switch (reason) {
      case MailErrorReason::InvalidAddress:
        return "invalid e-mail address";
      case MailErrorReason::NoSender:
        return "no sender address";
      case MailErrorReason::NoRecipient:
        return "no recipient";
    }
    return "message cannot be composed";
  }

  MailErrorReason reason_;
  std::string text_;
};

}  // namespace vellumo
