#pragma once
// Composes the message of a host's file given as text.
#include <ctime>
#include <string>

#include "config/IniDocument.h"
#include "mail/ComposeMessage.h"

namespace vellumo::test {

inline constexpr std::time_t kNow = 1709647629;  // Tue, 05 Mar 2024 14:07:09 UTC

// `email`: key lines of section Email; `body`: key lines of EmailCorps.
inline OutgoingMessage Compose(const std::string& email, const std::string& body = "") {
  std::string text = "[Email]\n" + email + "\n";
  if (!body.empty()) text += "[EmailCorps]\n" + body + "\n";
  return ComposeMessage(IniDocument(text), kNow);
}

// The header line of that name, or "<absent>".
inline std::string HeaderOf(const OutgoingMessage& message, const std::string& name) {
  for (const std::string& header : message.Headers()) {
    if (header.compare(0, name.size() + 1, name + ":") == 0) return header;
  }
  return "<absent>";
}

}  // namespace vellumo::test
