#include "mail/HeaderEncoding.h"

#include <algorithm>
#include <vector>

#include "mail/AsciiDomain.h"
#include "text/AsciiText.h"
#include "text/Utf8.h"

namespace vellumo {

namespace {

constexpr std::string_view kWordStart = "=?UTF-8?B?";
constexpr std::string_view kWordEnd = "?=";
constexpr std::size_t kWordOverhead = kWordStart.size() + kWordEnd.size();
constexpr std::size_t kMaxWordLength = 75;
// Bytes whose base64 form fills a word of at most 75 characters.
constexpr std::size_t kMaxWordBytes = (kMaxWordLength - kWordOverhead) / 4 * 3;
// Longest plain word written as it is; longer ones are encoded so that
// every line can be folded under the limit.
constexpr std::size_t kMaxPlainWord = 70;

std::string Base64(std::string_view bytes) {
  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    const unsigned v = (static_cast<unsigned char>(bytes[i]) << 16) |
                       (static_cast<unsigned char>(bytes[i + 1]) << 8) |
                       static_cast<unsigned char>(bytes[i + 2]);
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += kAlphabet[(v >> 6) & 63];
    out += kAlphabet[v & 63];
  }
  if (i < bytes.size()) {
    unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += i + 1 < bytes.size() ? kAlphabet[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

bool IsPrintableAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
}

// Characters of an RFC 5322 atom.
bool IsAtomText(char c) {
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  return std::string_view("!#$%&'*+-/=?^_`{|}~").find(c) != std::string_view::npos;
}

std::vector<std::string_view> SplitAtBlanks(std::string_view text) {
  std::vector<std::string_view> words;
  std::size_t start = 0;
  while (true) {
    const std::size_t blank = text.find(' ', start);
    words.push_back(text.substr(start, blank == std::string_view::npos ? blank : blank - start));
    if (blank == std::string_view::npos) return words;
    start = blank + 1;
  }
}

// Plain text is sent as it is only when no reader could mistake part of it
// for an encoded word and every word can be folded under the line limit.
bool CanStayPlain(std::string_view text) {
  if (!IsPrintableAscii(text) || text.find("=?") != std::string_view::npos) return false;
  const auto words = SplitAtBlanks(text);
  return std::all_of(words.begin(), words.end(),
                     [](std::string_view word) { return word.size() <= kMaxPlainWord; });
}

// Appends `text` as encoded words, each filling what is left of its line;
// decoders drop the blanks between adjacent encoded words.
void AppendEncodedWords(HeaderLineBuilder& line, std::string_view separator,
                        std::string_view text) {
  constexpr std::size_t kMinWordBytes = 6;  // room for any one character
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t room = line.Room(separator);
    std::size_t budget = room > kWordOverhead ? (room - kWordOverhead) / 4 * 3 : 0;
    if (budget < kMinWordBytes) budget = kMaxWordBytes;  // starts a new line
    budget = std::min(budget, kMaxWordBytes);
    std::size_t end = pos;
    while (end < text.size()) {
      const std::size_t step = Utf8Step(text, end);
      if (end > pos && end + step - pos > budget) break;
      end += step;
    }
    line.Append(separator, EncodedWord(text.substr(pos, end - pos)));
    separator = " ";
    pos = end;
  }
}

// A display name as encoded words. Readers disagree on the blanks between
// two adjacent encoded words inside a phrase (the standard drops them,
// Python's email package keeps one), so a name that fits goes in a single
// word, and a longer one is cut just after a blank of its own.
void AppendEncodedPhrase(HeaderLineBuilder& line, std::string_view separator,
                         std::string_view name) {
  std::size_t pos = 0;
  while (pos < name.size()) {
    std::size_t end = pos;
    std::size_t afterBlank = std::string_view::npos;
    while (end < name.size()) {
      const std::size_t step = Utf8Step(name, end);
      if (end > pos && end + step - pos > kMaxWordBytes) break;
      end += step;
      if (name[end - 1] == ' ') afterBlank = end;
    }
    if (end < name.size() && afterBlank != std::string_view::npos) end = afterBlank;
    line.Append(separator, EncodedWord(name.substr(pos, end - pos)));
    separator = " ";
    pos = end;
  }
}

std::string QuotedString(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  out += '"';
  return out;
}

// A display name: atoms when it has no specials, else one quoted string,
// else encoded words for non-ASCII or over-long names.
void AppendPhrase(HeaderLineBuilder& line, std::string_view separator, std::string_view name) {
  if (!CanStayPlain(name)) {
    AppendEncodedPhrase(line, separator, name);
    return;
  }
  const bool atoms = std::all_of(name.begin(), name.end(),
                                 [](char c) { return c == ' ' || IsAtomText(c); });
  if (!atoms) {
    const std::string quoted = QuotedString(name);
    if (quoted.size() > kMaxPlainWord) {
      AppendEncodedPhrase(line, separator, name);
    } else {
      line.Append(separator, quoted);
    }
    return;
  }
  for (const std::string_view word : SplitAtBlanks(name)) {
    if (word.empty()) continue;
    line.Append(separator, word);
    separator = " ";
  }
}

// The address as it was written, minus anything that would break the line,
// with its domain in ASCII form. A UTF-8 local part stays raw: such an
// address only goes to a server that offers SMTPUTF8.
std::string HeaderSafeAddress(std::string_view address) {
  std::string out;
  for (const char c : TrimBlanks(address)) {
    const auto u = static_cast<unsigned char>(c);
    if (u > 0x20 && u != 0x7F && c != '<' && c != '>') out += c;
  }
  return WithAsciiDomain(out);
}

}  // namespace

std::string HeaderSafeText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += (c < 0x20 || c == 0x7F) ? ' ' : text[i];
  }
  return out;
}

std::string EncodedWord(std::string_view bytes) {
  std::string word(kWordStart);
  word += Base64(bytes);
  word.append(kWordEnd);
  return word;
}

void AppendUnstructured(HeaderLineBuilder& line, std::string_view separator,
                        std::string_view text) {
  const std::string safe = HeaderSafeText(text);
  if (!CanStayPlain(safe)) {
    AppendEncodedWords(line, separator, safe);
    return;
  }
  // Folding turns a blank into CRLF plus that blank, which unfolds back to
  // the same text.
  for (const std::string_view word : SplitAtBlanks(safe)) {
    line.Append(separator, word);
    separator = " ";
  }
}

bool AppendMailbox(HeaderLineBuilder& line, std::string_view separator,
                   const Mailbox& item) {
  const std::string address = HeaderSafeAddress(item.Address);
  if (address.empty()) return false;
  const std::string name(TrimBlanks(HeaderSafeText(item.Name)));
  if (name.empty()) {
    line.Append(separator, address);
    return true;
  }
  AppendPhrase(line, separator, name);
  line.Append(" ", "<" + address + ">");
  return true;
}

}  // namespace vellumo
