#include "app/MailErrorText.h"

#include "mail/MailError.h"
#include "text/PrintableExcerpt.h"

namespace vellumo {

std::string MailErrorText(const MailError& error) {
  switch (error.Reason()) {
    case MailErrorReason::InvalidAddress:
      return "Erreur : l'adresse e-mail \"" +
             PrintableExcerpt(error.Text(), 200, ExcerptStyle::Verbatim) + "\" n'est pas valide.";
    case MailErrorReason::NoSender:
      return "Erreur : l'adresse de l'expéditeur du message est vide.";
    case MailErrorReason::NoRecipient:
      return "Erreur : le message n'a aucun destinataire.";
  }
  return error.what();
}

}  // namespace vellumo
