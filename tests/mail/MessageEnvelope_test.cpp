#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "mail/MessageWireFormat.h"
#include "smtp/MailError.h"

namespace vellumo {
namespace {

// A test name from a row's label.
std::string RowName(std::string label) {
  for (char& ch : label) {
    if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
  }
  return label;
}

// Lists filled raw, one piece each, the way ";"-cut copies are filled.
void FillRaw(EmailAddressList& list, const std::vector<std::string>& pieces) {
  for (const std::string& piece : pieces) list.Add().Address = piece;
}

struct EnvelopeCase {
  const char* label;
  std::string from;
  std::string to;  // through the list parser
  std::vector<std::string> cc;   // raw entries
  std::vector<std::string> bcc;  // raw entries
  std::string mailFrom;
  std::vector<std::string> recipients;
};

class EnvelopeBuilt : public ::testing::TestWithParam<EnvelopeCase> {};

TEST_P(EnvelopeBuilt, HoldsBareAddressesInOrder) {
  const EnvelopeCase& c = GetParam();
  MailMessage message;
  message.From.SetText(c.from);
  message.Recipients.SetEMailAddresses(c.to);
  FillRaw(message.CCList, c.cc);
  FillRaw(message.BccList, c.bcc);
  const MailEnvelope envelope = BuildEnvelope(message);
  EXPECT_EQ(envelope.MailFrom, c.mailFrom);
  EXPECT_EQ(envelope.Recipients, c.recipients);
}

INSTANTIATE_TEST_SUITE_P(
    Table, EnvelopeBuilt,
    ::testing::Values(
        EnvelopeCase{"plain", "Ventes <ventes@x.fr>", "a@b.fr", {}, {}, "ventes@x.fr", {"a@b.fr"}},
        EnvelopeCase{"to cc bcc order",
                     "v@x.fr",
                     "Jean <a@b.fr>, c@d.fr",
                     {"e@f.fr"},
                     {"g@h.fr"},
                     "v@x.fr",
                     {"a@b.fr", "c@d.fr", "e@f.fr", "g@h.fr"}},
        EnvelopeCase{"bcc only", "v@x.fr", "", {}, {"secret@x.fr"}, "v@x.fr", {"secret@x.fr"}},
        EnvelopeCase{"raw pieces trimmed and blanks skipped",
                     "v@x.fr",
                     "a@b.fr",
                     {"c@d.fr", " e@f.fr", "", "  "},
                     {"g@h.fr\t"},
                     "v@x.fr",
                     {"a@b.fr", "c@d.fr", "e@f.fr", "g@h.fr"}},
        EnvelopeCase{"duplicates ignoring case",
                     "v@x.fr",
                     "a@b.fr; A@B.FR",
                     {"a@B.fr", "c@d.fr"},
                     {"C@d.fr", "a@b.fr"},
                     "v@x.fr",
                     {"a@b.fr", "c@d.fr"}},
        EnvelopeCase{"raw pieces with display names",
                     "v@x.fr",
                     "",
                     {"Jean <c@d.fr>", " \"Dupont, Paul\" <e@f.fr>"},
                     {" Archives <g@h.fr>"},
                     "v@x.fr",
                     {"c@d.fr", "e@f.fr", "g@h.fr"}},
        EnvelopeCase{"domains in ascii form", "v@bücher.de", "josé@straße.de", {}, {},
                     "v@xn--bcher-kva.de", {"josé@xn--strae-oqa.de"}}),
    [](const auto& row) { return RowName(row.param.label); });

struct RefusalCase {
  const char* label;
  std::string fromAddress;  // raw
  std::vector<std::string> to;
  std::vector<std::string> cc;
  std::vector<std::string> bcc;
  std::string message;
};

class EnvelopeRefused : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(EnvelopeRefused, ThrowsFrenchError) {
  const RefusalCase& c = GetParam();
  MailMessage message;
  message.From.Address = c.fromAddress;
  FillRaw(message.Recipients, c.to);
  FillRaw(message.CCList, c.cc);
  FillRaw(message.BccList, c.bcc);
  try {
    BuildEnvelope(message);
    FAIL() << "accepted";
  } catch (const MailError& error) {
    EXPECT_EQ(error.what(), c.message);
  }
}

const std::string kNoSender = "Erreur : l'adresse de l'expéditeur du message est vide.";
const std::string kNoRecipient = "Erreur : le message n'a aucun destinataire.";
std::string Invalid(const std::string& quoted) {
  return "Erreur : l'adresse e-mail \"" + quoted + "\" n'est pas valide.";
}

INSTANTIATE_TEST_SUITE_P(
    Table, EnvelopeRefused,
    ::testing::Values(
        RefusalCase{"no sender", "", {"a@b.fr"}, {}, {}, kNoSender},
        RefusalCase{"blank sender", "  ", {"a@b.fr"}, {}, {}, kNoSender},
        RefusalCase{"no recipient", "v@x.fr", {}, {}, {}, kNoRecipient},
        RefusalCase{"blank recipients only", "v@x.fr", {""}, {" "}, {"\t"}, kNoRecipient},
        RefusalCase{"sender with crlf", "v@x.fr\r\nRCPT TO:<z@z.fr>", {"a@b.fr"}, {}, {},
                    Invalid("v@x.fr  RCPT TO:<z@z.fr>")},
        RefusalCase{"cc with lf", "v@x.fr", {"a@b.fr"}, {"c@d.fr\nx"}, {}, Invalid("c@d.fr x")},
        RefusalCase{"bcc with nul", "v@x.fr", {"a@b.fr"}, {}, {std::string("g@h.fr\0x", 8)},
                    Invalid("g@h.fr x")},
        RefusalCase{"cc without at", "v@x.fr", {"a@b.fr"}, {"dupont"}, {}, Invalid("dupont")},
        RefusalCase{"cc with unclosed bracket", "v@x.fr", {"a@b.fr"}, {"Jean <c@d.fr"}, {},
                    Invalid("Jean <c@d.fr")},
        RefusalCase{"bcc with inner blank", "v@x.fr", {"a@b.fr"}, {}, {" g h@x.fr"},
                    Invalid("g h@x.fr")},
        RefusalCase{"domain without ascii form", "v@x.fr", {"a@☃.fr"}, {}, {},
                    Invalid("a@☃.fr")}),
    [](const auto& row) { return RowName(row.param.label); });

}  // namespace
}  // namespace vellumo
