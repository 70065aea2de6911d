#include "mail/AsciiDomain.h"

#include <idn2.h>

#include <algorithm>
#include <cstdint>

#include "mail/BareAddress.h"

namespace vellumo {

std::string WithAsciiDomain(std::string_view address) {
  const std::size_t at = address.rfind('@');
  if (at == std::string_view::npos) return std::string(address);
  const std::string domain(address.substr(at + 1));
  if (std::all_of(domain.begin(), domain.end(),
                  [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    return std::string(address);
  }
  // The UTF-8 entry point, unlike libcurl's own conversion, which reads the
  // locale's encoding and leaves the domain raw under the C locale.
  std::uint8_t* ascii = nullptr;
  const int result = idn2_lookup_u8(reinterpret_cast<const std::uint8_t*>(domain.c_str()), &ascii,
                                    IDN2_NFC_INPUT | IDN2_NONTRANSITIONAL);
  if (result != IDN2_OK || ascii == nullptr) {
    idn2_free(ascii);
    ThrowInvalidAddress(address);
  }
  std::string converted(address.substr(0, at + 1));
  converted += reinterpret_cast<const char*>(ascii);
  idn2_free(ascii);
  return converted;
}

}  // namespace vellumo
