#pragma once
// What the send procedure reads from the host's file before building the
// message. The document's path and name live on the dialog instead, where
// the manual save finds them after a failure.
#include <cstdint>
#include <string>
#include <vector>

namespace vellumo {

struct MessageSettings {
  std::string sender;
  std::string recipients;
  std::string subject;
  std::string copyRecipients;
  std::string blindCopyRecipients;
  std::int32_t priority = 2;
  bool receiptRequested = false;
  std::vector<std::string> bodyLines;
};

// "key=value" -> "value": the text after the first "="; a line without "="
// stays whole.
std::string ReduceBodyLine(const std::string& line);

}  // namespace vellumo
