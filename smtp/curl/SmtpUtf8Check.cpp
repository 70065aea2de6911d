#include "smtp/curl/SmtpUtf8Check.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "smtp/SmtpFailure.h"

namespace vellumo {
namespace {

bool HasAsciiLocalPart(std::string_view address) {
  const std::string_view local = address.substr(0, address.rfind('@'));
  return std::all_of(local.begin(), local.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

std::string FirstAddressNeedingSmtpUtf8(const MailEnvelope& envelope) {
  if (!HasAsciiLocalPart(envelope.MailFrom)) return envelope.MailFrom;
  for (const std::string& recipient : envelope.Recipients) {
    if (!HasAsciiLocalPart(recipient)) return recipient;
  }
  return {};
}

void RequireSmtpUtf8Support(const MailEnvelope& envelope, bool serverOffersSmtpUtf8) {
  if (serverOffersSmtpUtf8) return;
  const std::string address = FirstAddressNeedingSmtpUtf8(envelope);
  if (address.empty()) return;
  SmtpFailureDetails details;
  details.Kind = SmtpFailureKind::AddressNeedsSmtpUtf8;
  details.Address = address;
  throw SmtpFailure(std::move(details));
}

}  // namespace vellumo
