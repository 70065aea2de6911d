#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mail/AddressParser.h"
#include "mail/MailError.h"

namespace vellumo {
namespace {

struct MailboxCase {
  const char* text;
  const char* name;
  const char* address;
};

class MailboxAccepted : public ::testing::TestWithParam<MailboxCase> {};

TEST_P(MailboxAccepted, GivesNameAndAddress) {
  const MailboxCase& c = GetParam();
  const Mailbox item = ParseMailbox(c.text);
  EXPECT_EQ(item.Name, c.name);
  EXPECT_EQ(item.Address, c.address);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MailboxAccepted,
    ::testing::Values(
        MailboxCase{"a@b.fr", "", "a@b.fr"},
        MailboxCase{"  a@b.fr\t", "", "a@b.fr"},
        MailboxCase{"<a@b.fr>", "", "a@b.fr"},
        MailboxCase{"< a@b.fr >", "", "a@b.fr"},
        MailboxCase{"Jean Dupont <jean.dupont@exemple.fr>", "Jean Dupont", "jean.dupont@exemple.fr"},
        MailboxCase{"Jean Dupont<a@b.fr>", "Jean Dupont", "a@b.fr"},
        MailboxCase{"\"Dupont, Jean\" <a@b.fr>", "Dupont, Jean", "a@b.fr"},
        MailboxCase{"\"Jean \\\"JD\\\" Dupont\" <a@b.fr>", "Jean \"JD\" Dupont", "a@b.fr"},
        MailboxCase{"\"Ventes <France>\" <a@b.fr>", "Ventes <France>", "a@b.fr"},
        MailboxCase{"Hélène Müller <helene@exemple.fr>", "Hélène Müller", "helene@exemple.fr"},
        MailboxCase{"josé@exemple.fr", "", "josé@exemple.fr"},
        MailboxCase{"contact@bücher.de", "", "contact@bücher.de"},
        MailboxCase{"a@b.fr <a@b.fr>", "a@b.fr", "a@b.fr"},
        MailboxCase{"", "", ""},
        MailboxCase{"   ", "", ""}));

class MailboxRefused : public ::testing::TestWithParam<const char*> {};

TEST_P(MailboxRefused, ThrowsFrenchError) {
  try {
    ParseMailbox(GetParam());
    FAIL() << "accepted: " << GetParam();
  } catch (const MailError& error) {
    EXPECT_EQ(std::string(error.what()).rfind("Erreur : l'adresse e-mail \"", 0), 0u)
        << error.what();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, MailboxRefused,
    ::testing::Values("jean.dupont", "Jean Dupont", "a@b.fr\r\nBcc: x@y.fr", "a@b.fr\n",
                      "Jean\r <a@b.fr>", "\"Dupont, Jean <a@b.fr>", "Jean <a@b.fr",
                      "Jean a@b.fr>", "jean dupont@b.fr", "Jean <jean dupont@b.fr>",
                      "<a@b.fr> suite", "<>", "@b.fr", "a@", "a@b@c.fr", "<a@<b.fr>>",
                      "a@b.fr, c@d.fr", "\"Jean\" a@b.fr", "Jean <a@b.fr\"x>"));

TEST(MailboxError, QuotesTheTextPrintableAndCut) {
  struct Case {
    std::string text;
    std::string quoted;
  };
  const std::vector<Case> cases = {
      {"pas une adresse", "pas une adresse"},
      {"x\r\ny", "x  y"},
      {"ab\x01" "c\xff", "ab c?"},
      {"pas\u2067 une\u202E adresse\u200B", "pas une adresse"},
      {std::string(300, 'z'), std::string(200, 'z') + "..."},
      {std::string(199, 'z') + "é", std::string(199, 'z') + "..."},
  };
  for (const Case& c : cases) {
    try {
      ParseMailbox(c.text);
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const MailError& error) {
      EXPECT_EQ(error.what(),
                "Erreur : l'adresse e-mail \"" + c.quoted + "\" n'est pas valide.");
    }
  }
}

struct ListCase {
  const char* text;
  std::vector<std::pair<std::string, std::string>> expected;  // name, address
};

class ListAccepted : public ::testing::TestWithParam<ListCase> {};

TEST_P(ListAccepted, GivesEveryAddressInOrder) {
  const ListCase& c = GetParam();
  std::vector<std::pair<std::string, std::string>> got;
  for (const Mailbox& item : ParseMailboxList(c.text)) got.emplace_back(item.Name, item.Address);
  EXPECT_EQ(got, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ListAccepted,
    ::testing::Values(
        ListCase{"a@b.fr", {{"", "a@b.fr"}}},
        ListCase{"a@b.fr, c@d.fr", {{"", "a@b.fr"}, {"", "c@d.fr"}}},
        ListCase{"a@b.fr;c@d.fr", {{"", "a@b.fr"}, {"", "c@d.fr"}}},
        ListCase{"a@b.fr; c@d.fr, e@f.fr", {{"", "a@b.fr"}, {"", "c@d.fr"}, {"", "e@f.fr"}}},
        ListCase{"\"Dupont, Jean\" <a@b.fr>, \"Martin; Luc\" <c@d.fr>",
                 {{"Dupont, Jean", "a@b.fr"}, {"Martin; Luc", "c@d.fr"}}},
        ListCase{"Jean <a@b.fr>;Élise Noël <e@f.fr>",
                 {{"Jean", "a@b.fr"}, {"Élise Noël", "e@f.fr"}}},
        ListCase{";a@b.fr;;, ;c@d.fr;", {{"", "a@b.fr"}, {"", "c@d.fr"}}},
        ListCase{"", {}},
        ListCase{" ; , ", {}}));

class ListRefused : public ::testing::TestWithParam<const char*> {};

TEST_P(ListRefused, ThrowsFrenchError) {
  EXPECT_THROW(ParseMailboxList(GetParam()), MailError) << GetParam();
}

INSTANTIATE_TEST_SUITE_P(Table, ListRefused,
                         ::testing::Values("a@b.fr, Dupont", "Dupont, Jean <a@b.fr>",
                                           "\"Dupont, Jean <a@b.fr>, c@d.fr",
                                           "a@b.fr\nc@d.fr", "<a@b.fr, c@d.fr>",
                                           "a@b.fr c@d.fr"));

TEST(ListError, QuotesTheFaultyPiece) {
  try {
    ParseMailboxList("a@b.fr; faux ; c@d.fr");
    FAIL();
  } catch (const MailError& error) {
    EXPECT_STREQ(error.what(), "Erreur : l'adresse e-mail \"faux\" n'est pas valide.");
  }
}

// Copy lists: with a ";" every piece is one mailbox, whatever it holds.
TEST(SplitAddresses, CutsAtEverySemicolonWhenThereIsOne) {
  const std::pair<const char*, std::vector<std::string>> accepted[] = {
      {"a@x.fr;b@x.fr;", {"a@x.fr", "b@x.fr"}},
      {";a@x.fr;;  ; b@x.fr", {"a@x.fr", "b@x.fr"}},
      {"a@x.fr; Jean <b@x.fr>", {"a@x.fr", "Jean|b@x.fr"}},
      {"a@x.fr, Jean <b@x.fr>", {"a@x.fr", "Jean|b@x.fr"}},  // no ";": a list
      {"\"Dupont, Jean\" <j@x.fr>", {"Dupont, Jean|j@x.fr"}},
      {"", {}},
      {";", {}},
  };
  for (const auto& [text, expected] : accepted) {
    std::vector<std::string> got;
    for (const Mailbox& m : SplitAddresses(text))
      got.push_back(m.Name.empty() ? m.Address : m.Name + "|" + m.Address);
    EXPECT_EQ(got, expected) << text;
  }
  for (const char* text : {"a@x.fr, b@x.fr; c@x.fr", "\"Martin; Luc\" <c@d.fr>", "a@x.fr; faux"})
    EXPECT_THROW(SplitAddresses(text), MailError) << text;
}

}  // namespace
}  // namespace vellumo
