#include <gtest/gtest.h>

#include <string>
#include <utility>
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

TEST_P(MailboxRefused, NamesTheText) {
  try {
    ParseMailbox(GetParam());
    FAIL() << "accepted: " << GetParam();
  } catch (const MailError& error) {
    EXPECT_EQ(error.Reason(), MailErrorReason::InvalidAddress);
    EXPECT_EQ(error.Text(), GetParam());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, MailboxRefused,
    ::testing::Values("jean.dupont", "Jean Dupont", "a@b.fr\r\nBcc: x@y.fr", "a@b.fr\n",
                      "Jean\r <a@b.fr>", "\"Dupont, Jean <a@b.fr>", "Jean <a@b.fr",
                      "Jean a@b.fr>", "jean dupont@b.fr", "Jean <jean dupont@b.fr>",
                      "<a@b.fr> suite", "<>", "@b.fr", "a@", "a@b@c.fr", "<a@<b.fr>>",
                      "a@b.fr, c@d.fr", "\"Jean\" a@b.fr", "Jean <a@b.fr\"x>"));

// The text as the host wrote it, whole: making it printable is the run's job.
TEST(MailboxError, NamesTheTextWithoutSurroundingBlanks) {
  const std::pair<std::string, std::string> cases[] = {
      {" \tx\r\ny \t", "x\r\ny"},
      {std::string(300, 'z'), std::string(300, 'z')},
  };
  for (const auto& [text, named] : cases) {
    try {
      ParseMailbox(text);
      ADD_FAILURE() << "accepted: " << text;
    } catch (const MailError& error) {
      EXPECT_EQ(error.Text(), named);
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

TEST_P(ListRefused, ThrowsMailError) {
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
    EXPECT_EQ(error.Reason(), MailErrorReason::InvalidAddress);
    EXPECT_EQ(error.Text(), "faux");
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
