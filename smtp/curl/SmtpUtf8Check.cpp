#include "smtp/curl/SmtpUtf8Check.h"

#include "smtp/MailError.h"
#include "smtp/curl/CurlErrorText.h"

namespace vellumo {

void RequireSmtpUtf8Support(const MessageEnvelope& envelope, bool serverOffersSmtpUtf8) {
  if (serverOffersSmtpUtf8 || envelope.NeedsSmtpUtf8.empty()) return;
  throw MailError("Erreur : l'adresse e-mail <" + PrintableText(envelope.NeedsSmtpUtf8, 200) +
                  "> contient des caractères accentués ou non latins avant le « @ », que le "
                  "serveur SMTP n'accepte pas (il ne propose pas l'extension SMTPUTF8).");
}

}  // namespace vellumo
