#include "mail/AddressParser.h"

#include <string>

#include "mail/BareAddress.h"
#include "mail/MailError.h"
#include "text/AsciiText.h"

namespace vellumo {

namespace {

bool HasControlCharacter(std::string_view text) {
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if ((c < 0x20 && ch != '\t') || c == 0x7F) return true;
  }
  return false;
}

// Reads the quoted string opening at `text[pos]` into `out`, undoing the
// backslash escapes; returns the position after its closing quote, or npos
// when the quote is never closed.
std::size_t ReadQuoted(std::string_view text, std::size_t pos, std::string& out) {
  for (std::size_t i = pos + 1; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      out += text[++i];
    } else if (text[i] == '"') {
      return i + 1;
    } else {
      out += text[i];
    }
  }
  return std::string_view::npos;
}

}  // namespace

Mailbox ParseMailbox(std::string_view text) {
  const std::string_view trimmed = TrimBlanks(text);
  Mailbox item;
  if (trimmed.empty()) return item;
  if (HasControlCharacter(trimmed)) ThrowInvalidAddress(trimmed);

  // The display name runs up to the first '<' outside quotes.
  std::string name;
  bool quoted = false;
  std::size_t pos = 0;
  while (pos < trimmed.size() && trimmed[pos] != '<') {
    if (trimmed[pos] == '"') {
      quoted = true;
      pos = ReadQuoted(trimmed, pos, name);
      if (pos == std::string_view::npos) ThrowInvalidAddress(trimmed);
    } else if (trimmed[pos] == '>') {
      ThrowInvalidAddress(trimmed);
    } else {
      name += trimmed[pos++];
    }
  }

  if (pos == trimmed.size()) {
    // No angle brackets: the whole text is the address.
    if (quoted || !IsWireSafeAddress(trimmed)) ThrowInvalidAddress(trimmed);
    item.Address = std::string(trimmed);
    return item;
  }

  const std::size_t close = trimmed.find('>', pos + 1);
  if (close == std::string_view::npos) ThrowInvalidAddress(trimmed);
  const std::string_view address = TrimBlanks(trimmed.substr(pos + 1, close - pos - 1));
  if (!TrimBlanks(trimmed.substr(close + 1)).empty() || !IsWireSafeAddress(address)) {
    ThrowInvalidAddress(trimmed);
  }
  item.Name = std::string(TrimBlanks(name));
  item.Address = std::string(address);
  return item;
}

std::vector<Mailbox> ParseMailboxList(std::string_view text) {
  std::vector<Mailbox> items;
  auto take = [&items](std::string_view piece) {
    Mailbox item = ParseMailbox(piece);
    if (!item.IsEmpty()) items.push_back(std::move(item));
  };

  bool inQuotes = false;
  bool inBrackets = false;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (inQuotes) {
      if (c == '\\') {
        ++i;
      } else if (c == '"') {
        inQuotes = false;
      }
    } else if (c == '"') {
      inQuotes = true;
    } else if (c == '<') {
      inBrackets = true;
    } else if (c == '>') {
      inBrackets = false;
    } else if ((c == ',' || c == ';') && !inBrackets) {
      take(text.substr(start, i - start));
      start = i + 1;
    }
  }
  if (inQuotes) ThrowInvalidAddress(text.substr(start));
  if (start <= text.size()) take(text.substr(start));
  return items;
}

std::vector<Mailbox> ParseSenderAddresses(std::string_view text) {
  try {
    return ParseMailboxList(text);
  } catch (const MailError&) {
    return {ParseMailbox(text)};
  }
}

}  // namespace vellumo
