#include "smtp/curl/SmtpUtf8Check.h"

#include <utility>

#include "smtp/SmtpFailure.h"

namespace vellumo {

void RequireSmtpUtf8Support(const MessageEnvelope& envelope, bool serverOffersSmtpUtf8) {
  if (serverOffersSmtpUtf8 || envelope.NeedsSmtpUtf8.empty()) return;
  SmtpFailureDetails details;
  details.Kind = SmtpFailureKind::AddressNeedsSmtpUtf8;
  details.Address = envelope.NeedsSmtpUtf8;
  throw SmtpFailure(std::move(details));
}

}  // namespace vellumo
