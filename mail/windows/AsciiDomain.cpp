// Windows' own IDNA conversion (IdnToAscii, Normaliz.dll) in place of
// libidn2, brought to the same results: IdnToAscii follows IDNA2003 where
// IDNA2008 differs, under Wine and on Windows 10 alike (ß becomes "ss",
// symbols pass), and a mail to "straße.de" must not go to "strasse.de".
#include "mail/AsciiDomain.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "mail/BareAddress.h"
#include "mail/windows/Punycode.h"
#include "platform/windows/Utf16.h"
#include "platform/windows/WindowsApi.h"

namespace vellumo {
namespace {

bool IsAscii(wchar_t c) { return c < 0x80; }

// The characters IDNA2003 maps away and IDNA2008 keeps: ß, final sigma,
// zero-width joiner and non-joiner.
bool IsDeviation(wchar_t c) { return c == 0xDF || c == 0x3C2 || c == 0x200C || c == 0x200D; }

// Lower case then NFC, as UTS 46 maps a domain before checking it.
std::wstring Mapped(const std::wstring& domain) {
  const int size = static_cast<int>(domain.size());
  std::wstring lower(domain.size(), L'\0');
  if (::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, domain.c_str(), size, lower.data(),
                      size, nullptr, nullptr, 0) != size) {
    return {};
  }
  const int length = ::NormalizeString(NormalizationC, lower.c_str(), size, nullptr, 0);
  if (length <= 0) return {};
  std::wstring normal(static_cast<std::size_t>(length), L'\0');
  const int written = ::NormalizeString(NormalizationC, lower.c_str(), size, normal.data(), length);
  if (written <= 0) return {};
  normal.resize(static_cast<std::size_t>(written));
  return normal;
}

// IDNA2008 takes letters, marks and digits; symbols (☃, ♥) it refuses.
bool HasSymbol(const std::wstring& domain) {
  std::vector<WORD> types(domain.size());
  if (!::GetStringTypeW(CT_CTYPE3, domain.c_str(), static_cast<int>(domain.size()), types.data())) {
    return true;
  }
  for (std::size_t i = 0; i < domain.size(); ++i) {
    if (!IsAscii(domain[i]) && (types[i] & C3_SYMBOL)) return true;
  }
  return false;
}

std::optional<std::wstring> IdnAscii(const std::wstring& text) {
  const int size = static_cast<int>(text.size());
  const int length = ::IdnToAscii(0, text.c_str(), size, nullptr, 0);
  if (length <= 0) return std::nullopt;
  std::wstring ascii(static_cast<std::size_t>(length), L'\0');
  if (::IdnToAscii(0, text.c_str(), size, ascii.data(), length) != length) return std::nullopt;
  return ascii;
}

std::u32string CodePoints(const std::wstring& text) {
  std::u32string points;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char32_t high = text[i];
    if (high >= 0xD800 && high < 0xDC00 && i + 1 < text.size()) {
      const char32_t low = text[++i];
      points += 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
    } else {
      points += high;
    }
  }
  return points;
}

// Each label as IdnToAscii gives it, but for those holding a deviation
// character, encoded as they are.
std::optional<std::wstring> NonTransitional(const std::wstring& domain) {
  std::wstring ascii;
  std::size_t start = 0;
  for (;;) {
    const std::size_t dot = domain.find(L'.', start);
    const std::wstring label = domain.substr(start, dot - start);
    if (std::any_of(label.begin(), label.end(), IsDeviation)) {
      const std::string encoded = "xn--" + Punycode(CodePoints(label));
      if (encoded.size() > 63) return std::nullopt;
      ascii += windows::Utf16(encoded);
    } else if (!label.empty()) {
      const std::optional<std::wstring> converted = IdnAscii(label);
      if (!converted) return std::nullopt;
      ascii += *converted;
    }
    if (dot == std::wstring::npos) return ascii;
    ascii += L'.';
    start = dot + 1;
  }
}

}  // namespace

std::string WithAsciiDomain(std::string_view address) {
  const std::size_t at = address.rfind('@');
  if (at == std::string_view::npos) return std::string(address);
  const std::string_view domain = address.substr(at + 1);
  if (std::all_of(domain.begin(), domain.end(),
                  [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    return std::string(address);
  }
  // Bytes that are not UTF-8 name no domain; libidn2 refuses them too.
  if (::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, domain.data(),
                            static_cast<int>(domain.size()), nullptr, 0) == 0) {
    ThrowInvalidAddress(address);
  }
  const std::wstring mapped = Mapped(windows::Utf16(domain));
  // IdnToAscii checks the whole domain (lengths, forbidden characters).
  std::optional<std::wstring> ascii;
  if (!mapped.empty() && !HasSymbol(mapped)) ascii = IdnAscii(mapped);
  if (ascii && std::any_of(mapped.begin(), mapped.end(), IsDeviation))
    ascii = NonTransitional(mapped);
  if (!ascii) ThrowInvalidAddress(address);
  return std::string(address.substr(0, at + 1)) + windows::Utf8(*ascii);
}

}  // namespace vellumo
