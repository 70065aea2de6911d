#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "fakes/SentMailReader.h"
#include "mail/AddressParser.h"
#include "tests/mail/ComposeFromIni.h"

namespace vellumo {
namespace {

using testing::HeaderCount;
using testing::HeaderValue;
using testing::MailboxesOf;
using testing::ReadHeaderLines;
using testing::StrictHeaderValue;

// A test name from a row's label.
std::string RowName(std::string label) {
  for (char& ch : label) {
    if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
  }
  return label;
}

std::vector<std::string> PhysicalLines(const std::vector<std::string>& headers) {
  std::vector<std::string> lines;
  for (const std::string& header : headers) {
    std::size_t start = 0;
    while (true) {
      const std::size_t crlf = header.find("\r\n", start);
      lines.push_back(header.substr(start, crlf == std::string::npos ? crlf : crlf - start));
      if (crlf == std::string::npos) break;
      start = crlf + 2;
    }
  }
  return lines;
}

// Every line short, every continuation starting with a blank, no lone CR
// or LF, every encoded word within 75 characters.
void ExpectWellFormed(const std::vector<std::string>& headers) {
  for (const std::string& header : headers) {
    for (std::size_t i = 0; i < header.size(); ++i) {
      if (header[i] == '\r') {
        ASSERT_TRUE(i + 2 < header.size() && header[i + 1] == '\n' && header[i + 2] == ' ')
            << header;
      } else if (header[i] == '\n') {
        ASSERT_TRUE(i > 0 && header[i - 1] == '\r') << header;
      }
    }
    std::size_t word = header.find("=?");
    while (word != std::string::npos) {
      const std::size_t end = header.find("?=", word + 10);
      ASSERT_NE(end, std::string::npos) << header;
      EXPECT_LE(end + 2 - word, 75u) << header;
      word = header.find("=?", end + 2);
    }
  }
  for (const std::string& line : PhysicalLines(headers)) {
    EXPECT_LE(line.size(), 78u) << line;
  }
}

struct SubjectCase {
  const char* label;
  std::string subject;
  std::string decoded;
};

class SubjectRoundTrip : public ::testing::TestWithParam<SubjectCase> {};

TEST_P(SubjectRoundTrip, PythonReadsItBack) {
  const auto headers = test::Compose("AdresseEnvoi=ventes@exemple.fr\nEnvoyerA=client@exemple.fr\n"
                                     "Objet=" + GetParam().subject).Headers();
  ExpectWellFormed(headers);
  const auto decoded = ReadHeaderLines(headers);
  EXPECT_EQ(HeaderValue(decoded, "Subject"), GetParam().decoded);
  EXPECT_EQ(StrictHeaderValue(decoded, "Subject"), GetParam().decoded);
  EXPECT_EQ(HeaderCount(decoded, "Subject"), 1u);
  EXPECT_EQ(HeaderCount(decoded, "Bcc"), 0u);
  EXPECT_EQ(decoded.at("defects"), "0");
}

std::string Repeat(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

INSTANTIATE_TEST_SUITE_P(
    Table, SubjectRoundTrip,
    ::testing::Values(
        SubjectCase{"ascii", "Commande 42", "Commande 42"},
        SubjectCase{"empty", "", ""},
        SubjectCase{"accents and euro", "Votre commande n°42 : 150 € à régler",
                    "Votre commande n°42 : 150 € à régler"},
        SubjectCase{"long ascii", Repeat("Commande fournisseur ", 12) + "fin",
                    Repeat("Commande fournisseur ", 12) + "fin"},
        SubjectCase{"long accented", Repeat("Élément répété ", 20) + "fin",
                    Repeat("Élément répété ", 20) + "fin"},
        SubjectCase{"long word", std::string(200, 'x'), std::string(200, 'x')},
        SubjectCase{"looks encoded", "=?UTF-8?B?eA==?= reste", "=?UTF-8?B?eA==?= reste"},
        SubjectCase{"cr injection", "a\rBcc: x@y.fr", "a Bcc: x@y.fr"},
        SubjectCase{"cr and tab", "a\rb\tc", "a b c"},
        SubjectCase{"four byte characters", Repeat("😀", 30), Repeat("😀", 30)}),
    [](const auto& row) { return RowName(row.param.label); });

struct NameCase {
  const char* label;
  std::string text;  // through the list parser
  std::string displayName;
  bool encoded;
};

std::string CollapseBlanks(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c != ' ' || out.empty() || out.back() != ' ') out += c;
  }
  return out;
}

class DisplayNameRoundTrip : public ::testing::TestWithParam<NameCase> {};

// Python's structured parser keeps a blank between two encoded words of a
// phrase, against the standard: a name long enough to need two words then
// shows one doubled blank there. The strict decoder must give it exactly.
TEST_P(DisplayNameRoundTrip, PythonReadsNameAndAddress) {
  const NameCase& c = GetParam();
  const std::string address = ParseMailbox(c.text).Address;
  const auto headers = test::Compose("AdresseEnvoi=" + c.text + "\nEnvoyerA=" + c.text +
                                     ", autre@exemple.fr").Headers();
  ExpectWellFormed(headers);
  const auto decoded = ReadHeaderLines(headers);
  EXPECT_EQ(decoded.at("defects"), "0");
  const bool oneWord = c.displayName.size() <= 45;
  for (const char* header : {"From", "To"}) {
    const auto mailboxes = MailboxesOf(decoded, header);
    ASSERT_GE(mailboxes.size(), 1u) << header;
    if (oneWord) {
      EXPECT_EQ(mailboxes[0].DisplayName, c.displayName) << header;
    } else {
      EXPECT_EQ(CollapseBlanks(mailboxes[0].DisplayName), c.displayName) << header;
    }
    EXPECT_EQ(mailboxes[0].Address, address) << header;
  }
  EXPECT_EQ(MailboxesOf(decoded, "To").size(), 2u);
  if (c.encoded) {
    EXPECT_EQ(StrictHeaderValue(decoded, "From"), c.displayName + " <" + address + ">");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, DisplayNameRoundTrip,
    ::testing::Values(
        NameCase{"atoms", "Jean Dupont <jean@exemple.fr>", "Jean Dupont", false},
        NameCase{"comma quoted", "\"Dupont, Jean\" <jean@exemple.fr>", "Dupont, Jean", false},
        NameCase{"quote and backslash", "\"Jean \\\"JD\\\" \\\\ D.\" <jean@exemple.fr>",
                 "Jean \"JD\" \\ D.", false},
        NameCase{"accents keep spaces", "Hélène Müller-Noël <helene@exemple.fr>",
                 "Hélène Müller-Noël", true},
        NameCase{"long accented", "\"" + Repeat("Société Générale ", 8) + "\" <s@exemple.fr>",
                 Repeat("Société Générale ", 7) + "Société Générale", true},
        NameCase{"long ascii with specials",
                 "\"" + Repeat("Service, ", 10) + "\" <s@exemple.fr>",
                 Repeat("Service, ", 9) + "Service,", true}),
    [](const auto& row) { return RowName(row.param.label); });

TEST(AddressHeaders, LongListsFoldBetweenMailboxes) {
  std::string list;
  std::vector<std::string> expected;
  for (int i = 0; i < 12; ++i) {
    expected.push_back("destinataire" + std::to_string(i) + "@exemple.fr");
    list += "Dépôt " + std::to_string(i) + " <" + expected.back() + ">;";
  }
  const auto headers =
      test::Compose("AdresseEnvoi=ventes@exemple.fr\nEnvoyerA=" + list).Headers();
  ExpectWellFormed(headers);
  const auto decoded = ReadHeaderLines(headers);
  ASSERT_EQ(MailboxesOf(decoded, "To").size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(MailboxesOf(decoded, "To")[i].Address, expected[i]);
    EXPECT_EQ(MailboxesOf(decoded, "To")[i].DisplayName, "Dépôt " + std::to_string(i));
  }
}

}  // namespace
}  // namespace vellumo
