// The address parsers on arbitrary bytes: no crash, no exception but
// MailError, and whatever they accept can go on the wire as it is.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/MailErrorText.h"
#include "mail/AddressParser.h"
#include "mail/BareAddress.h"
#include "mail/HeaderEncoding.h"
#include "mail/HeaderLineBuilder.h"
#include "mail/MailError.h"

namespace {

void Check(bool condition) {
  if (!condition) abort();
}

bool HasLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

// Line breaks in a header only as folds: CRLF followed by a blank.
void CheckFolds(const std::string& header) {
  for (std::size_t i = 0; i < header.size(); ++i) {
    if (header[i] == '\r') {
      Check(i + 2 < header.size() && header[i + 1] == '\n' && header[i + 2] == ' ');
      i += 2;
    } else {
      Check(header[i] != '\n' && header[i] != '\0');
    }
  }
}

void CheckItem(const vellumo::Mailbox& item) {
  Check(item.Address.find('@') != std::string::npos);
  Check(!HasLineBreak(item.Address) && !HasLineBreak(item.Name));
  Check(vellumo::IsWireSafeAddress(item.Address));
  vellumo::HeaderLineBuilder line("To");
  Check(vellumo::AppendMailbox(line, " ", item));
  CheckFolds(line.Text());
}

// What the user reads of a refused text: short and printable.
void CheckError(const vellumo::MailError& error) {
  const std::string message = vellumo::MailErrorText(error);
  Check(message.size() < 300);
  for (const char c : message) Check(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    const vellumo::Mailbox item = vellumo::ParseMailbox(text);
    if (text.find_first_not_of(" \t") == std::string::npos) {
      Check(item.IsEmpty());
    } else {
      CheckItem(item);
    }
  } catch (const vellumo::MailError& error) {
    CheckError(error);
  }
  try {
    const auto items = vellumo::ParseMailboxList(text);
    std::size_t separators = 0;
    for (const char c : text) separators += (c == ',' || c == ';') ? 1 : 0;
    Check(items.size() <= separators + 1);
    for (const auto& item : items) CheckItem(item);
  } catch (const vellumo::MailError& error) {
    CheckError(error);
  }
  return 0;
}
