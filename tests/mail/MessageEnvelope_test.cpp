#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "mail/MailError.h"
#include "tests/mail/ComposeFromIni.h"

namespace vellumo {
namespace {

// A test name from a row's label.
std::string RowName(std::string label) {
  for (char& ch : label) {
    if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
  }
  return label;
}

// The host's Email keys for a sender, recipients, copies and blind copies.
std::string EmailKeys(const std::string& from, const std::string& to, const std::string& cc,
                      const std::string& bcc) {
  return "AdresseEnvoi=" + from + "\nEnvoyerA=" + to + "\nCc=" + cc + "\nCci=" + bcc;
}

struct EnvelopeCase {
  const char* label;
  std::string from;
  std::string to;
  std::string cc;
  std::string bcc;
  std::string mailFrom;
  std::vector<std::string> recipients;
  std::string needsSmtpUtf8;
};

class EnvelopeBuilt : public ::testing::TestWithParam<EnvelopeCase> {};

TEST_P(EnvelopeBuilt, HoldsBareAddressesInOrder) {
  const EnvelopeCase& c = GetParam();
  const MessageEnvelope envelope = test::Compose(EmailKeys(c.from, c.to, c.cc, c.bcc)).Envelope();
  EXPECT_EQ(envelope.MailFrom, c.mailFrom);
  EXPECT_EQ(envelope.Recipients, c.recipients);
  EXPECT_EQ(envelope.NeedsSmtpUtf8, c.needsSmtpUtf8);
}

INSTANTIATE_TEST_SUITE_P(
    Table, EnvelopeBuilt,
    ::testing::Values(
        EnvelopeCase{"plain", "Ventes <ventes@x.fr>", "a@b.fr", "", "", "ventes@x.fr", {"a@b.fr"}, ""},
        EnvelopeCase{"to cc bcc order",
                     "v@x.fr",
                     "Jean <a@b.fr>, c@d.fr",
                     "e@f.fr",
                     "g@h.fr",
                     "v@x.fr",
                     {"a@b.fr", "c@d.fr", "e@f.fr", "g@h.fr"}, ""},
        EnvelopeCase{"bcc only", "v@x.fr", "", "", "secret@x.fr", "v@x.fr", {"secret@x.fr"}, ""},
        EnvelopeCase{"copy pieces trimmed and blanks skipped",
                     "v@x.fr",
                     "a@b.fr",
                     "c@d.fr; e@f.fr;;  ",
                     "g@h.fr\t;",
                     "v@x.fr",
                     {"a@b.fr", "c@d.fr", "e@f.fr", "g@h.fr"}, ""},
        EnvelopeCase{"duplicates ignoring case",
                     "v@x.fr",
                     "a@b.fr; A@B.FR",
                     "a@B.fr;c@d.fr",
                     "C@d.fr;a@b.fr",
                     "v@x.fr",
                     {"a@b.fr", "c@d.fr"}, ""},
        EnvelopeCase{"copy pieces with display names",
                     "v@x.fr",
                     "",
                     "Jean <c@d.fr>; \"Dupont, Paul\" <e@f.fr>",
                     " Archives <g@h.fr>;",
                     "v@x.fr",
                     {"c@d.fr", "e@f.fr", "g@h.fr"}, ""},
        EnvelopeCase{"domains in ascii form",
                     "v@bücher.de",
                     "josé@straße.de",
                     "",
                     "",
                     "v@xn--bcher-kva.de",
                     {"josé@xn--strae-oqa.de"},
                     "josé@xn--strae-oqa.de"},
        EnvelopeCase{"utf-8 sender named first",
                     "jérôme@x.fr",
                     "josé@b.fr",
                     "",
                     "",
                     "jérôme@x.fr",
                     {"josé@b.fr"},
                     "jérôme@x.fr"}),
    [](const auto& row) { return RowName(row.param.label); });

struct RefusalCase {
  const char* label;
  std::string from;
  std::string to;
  std::string cc;
  std::string bcc;
  MailErrorReason reason;
  std::string text;  // the host's text the error names
};

class EnvelopeRefused : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(EnvelopeRefused, NamesTheReasonAndText) {
  const RefusalCase& c = GetParam();
  try {
    test::Compose(EmailKeys(c.from, c.to, c.cc, c.bcc));
    FAIL() << "accepted";
  } catch (const MailError& error) {
    EXPECT_EQ(error.Reason(), c.reason);
    EXPECT_EQ(error.Text(), c.text);
  }
}

constexpr MailErrorReason kNoSender = MailErrorReason::NoSender;
constexpr MailErrorReason kNoRecipient = MailErrorReason::NoRecipient;
constexpr MailErrorReason kInvalid = MailErrorReason::InvalidAddress;

INSTANTIATE_TEST_SUITE_P(
    Table, EnvelopeRefused,
    ::testing::Values(
        RefusalCase{"no sender", "", "a@b.fr", "", "", kNoSender, ""},
        RefusalCase{"blank sender", "  ", "a@b.fr", "", "", kNoSender, ""},
        RefusalCase{"no recipient", "v@x.fr", "", "", "", kNoRecipient, ""},
        RefusalCase{"blank recipients only", "v@x.fr", " ; ", " ;", ";\t", kNoRecipient, ""},
        RefusalCase{"sender with cr", "v@x.fr\rRCPT TO:<z@z.fr>", "a@b.fr", "", "", kInvalid,
                    "v@x.fr\rRCPT TO:<z@z.fr>"},
        RefusalCase{"cc with cr", "v@x.fr", "a@b.fr", "a@b.fr;c@d.fr\rx", "", kInvalid,
                    "c@d.fr\rx"},
        RefusalCase{"bcc with nul", "v@x.fr", "a@b.fr", "", std::string("g@h.fr\0x;", 9), kInvalid,
                    std::string("g@h.fr\0x", 8)},
        RefusalCase{"cc without at", "v@x.fr", "a@b.fr", "dupont;", "", kInvalid, "dupont"},
        RefusalCase{"cc with unclosed bracket", "v@x.fr", "a@b.fr", "Jean <c@d.fr;", "", kInvalid,
                    "Jean <c@d.fr"},
        RefusalCase{"bcc with inner blank", "v@x.fr", "a@b.fr", "", " g h@x.fr;", kInvalid,
                    "g h@x.fr"},
        RefusalCase{"domain without ascii form", "v@x.fr", "a@☃.fr", "", "", kInvalid, "a@☃.fr"}),
    [](const auto& row) { return RowName(row.param.label); });

}  // namespace
}  // namespace vellumo
