// French texts for a message that cannot be composed, one row per reason;
// the address is quoted as the host wrote it, made printable and cut.
#include "app/MailErrorText.h"

#include <gtest/gtest.h>

#include <string>

#include "app/ExceptionText.h"
#include "mail/MailError.h"

namespace vellumo {
namespace {

struct Row {
  MailError error;
  std::string expected;
};

std::string Invalid(const std::string& quoted) {
  return "Erreur : l'adresse e-mail \"" + quoted + "\" n'est pas valide.";
}

TEST(MailErrorText, Table) {
  using Reason = MailErrorReason;
  const Row rows[] = {
      {MailError(Reason::NoSender), "Erreur : l'adresse de l'expéditeur du message est vide."},
      {MailError(Reason::NoRecipient), "Erreur : le message n'a aucun destinataire."},
      {MailError(Reason::InvalidAddress, "pas une adresse"), Invalid("pas une adresse")},
      {MailError(Reason::InvalidAddress, "x\r\ny"), Invalid("x  y")},
      {MailError(Reason::InvalidAddress, "ab\001c\377"), Invalid("ab c?")},
      {MailError(Reason::InvalidAddress, "pas\u2067 une\u202E adresse\u200B"),
       Invalid("pas une adresse")},
      {MailError(Reason::InvalidAddress, std::string(300, 'z')),
       Invalid(std::string(200, 'z') + "...")},
      {MailError(Reason::InvalidAddress, std::string(199, 'z') + "é"),
       Invalid(std::string(199, 'z') + "...")},
  };
  for (const Row& row : rows) {
    // Through the run's one translation of exceptions.
    const std::exception& thrown = row.error;
    EXPECT_EQ(ExceptionText(thrown), row.expected) << row.error.Text();
  }
}

}  // namespace
}  // namespace vellumo
