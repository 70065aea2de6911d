#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <vector>

#include "fakes/SentMailReader.h"
#include "mail/MailDate.h"
#include "mail/MessageId.h"
#include "tests/mail/ComposeFromIni.h"

namespace vellumo {
namespace {

using test::HeaderOf;
using test::kNow;
using testing::HeaderValue;
using testing::MailboxesOf;
using testing::ReadHeaderLines;

std::vector<std::string> Names(const std::vector<std::string>& headers) {
  std::vector<std::string> names;
  for (const std::string& header : headers) names.push_back(header.substr(0, header.find(':')));
  return names;
}

const std::string kFullMessage =
    "AdresseEnvoi=Ventes <ventes@exemple.fr>\nAvecAR=1\nEnvoyerA=client@exemple.fr\n"
    "Cc=copie@exemple.fr; copie2@exemple.fr;\nCci=cache@exemple.fr\nObjet=Commande\n";

TEST(TopLevelHeaders, OrderAndPresence) {
  const std::pair<std::string, std::vector<std::string>> cases[] = {
      {kFullMessage,
       {"Date", "From", "Reply-To", "To", "Cc", "Subject", "Message-ID", "MIME-Version",
        "X-Priority", "X-MSMail-Priority", "Importance", "Disposition-Notification-To"}},
      {"AdresseEnvoi=Ventes <ventes@exemple.fr>\nEnvoyerA=client@exemple.fr\n"
       "Cci=cache@exemple.fr",
       {"Date", "From", "Reply-To", "To", "Subject", "Message-ID", "MIME-Version", "X-Priority",
        "X-MSMail-Priority", "Importance"}},
      {"AdresseEnvoi=ventes@exemple.fr\nEnvoyerA=client@exemple.fr\nCc= ; ;",
       {"Date", "From", "Reply-To", "To", "Subject", "Message-ID", "MIME-Version", "X-Priority",
        "X-MSMail-Priority", "Importance"}},
  };
  for (const auto& [email, names] : cases) {
    EXPECT_EQ(Names(test::Compose(email).Headers()), names) << email;
  }
}

TEST(TopLevelHeaders, ValuesAsPythonReadsThem) {
  const auto headers = test::Compose(kFullMessage).Headers();
  const auto decoded = ReadHeaderLines(headers);
  EXPECT_EQ(decoded.at("defects"), "0");
  EXPECT_EQ(HeaderValue(decoded, "Date"), "Tue, 05 Mar 2024 14:07:09 +0000");
  EXPECT_EQ(HeaderValue(decoded, "From"), "Ventes <ventes@exemple.fr>");
  EXPECT_EQ(HeaderValue(decoded, "Reply-To"), "Ventes <ventes@exemple.fr>");
  EXPECT_EQ(HeaderValue(decoded, "To"), "client@exemple.fr");
  EXPECT_EQ(HeaderValue(decoded, "Cc"), "copie@exemple.fr, copie2@exemple.fr");
  EXPECT_EQ(HeaderValue(decoded, "Bcc"), "<absent>");
  EXPECT_EQ(HeaderValue(decoded, "Disposition-Notification-To"), "Ventes <ventes@exemple.fr>");
  EXPECT_EQ(HeaderValue(decoded, "MIME-Version"), "1.0");
  // The sender's domain names the Message-ID.
  EXPECT_TRUE(
      std::regex_match(HeaderValue(decoded, "Message-ID"), std::regex("<[0-9a-f.]+@exemple\\.fr>")))
      << HeaderValue(decoded, "Message-ID");
  for (const std::string& header : headers) {
    EXPECT_EQ(header.find("cache@"), std::string::npos) << header;
  }
}

TEST(TopLevelHeaders, BlindCopiesOnlyGiveUndisclosedRecipients) {
  const OutgoingMessage message =
      test::Compose("AdresseEnvoi=ventes@exemple.fr\nCci=cache@exemple.fr");
  EXPECT_EQ(HeaderOf(message, "To"), "To: undisclosed-recipients:;");
  EXPECT_EQ(HeaderOf(message, "Cc"), "<absent>");
}

TEST(TopLevelHeaders, ReadReceiptOnlyWhenAsked) {
  const std::pair<const char*, bool> cases[] = {
      {"AvecAR=1", true}, {"AvecAR=0", false}, {"AvecAR=yes", false}, {"", false}};
  for (const auto& [line, asked] : cases) {
    const OutgoingMessage message = test::Compose(
        "AdresseEnvoi=ventes@exemple.fr\nEnvoyerA=client@exemple.fr\n" + std::string(line));
    EXPECT_EQ(HeaderOf(message, "Disposition-Notification-To"),
              asked ? "Disposition-Notification-To: ventes@exemple.fr" : "<absent>")
        << line;
  }
}

TEST(TopLevelHeaders, ReplyAndReceiptTakeTheSenderMailboxUnlessItIsAList) {
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {"Dupont, Jean <jean@exemple.fr>", {"Dupont, Jean|jean@exemple.fr"}},
      {"\"Dupont, Jean\" <jean@exemple.fr>", {"Dupont, Jean|jean@exemple.fr"}},
      // A text that reads as a list stays a list.
      {"ventes@exemple.fr, Jean <jean@exemple.fr>", {"|ventes@exemple.fr", "Jean|jean@exemple.fr"}},
  };
  for (const auto& [sender, replyTo] : cases) {
    const auto headers =
        test::Compose("AdresseEnvoi=" + std::string(sender) + "\nEnvoyerA=c@exemple.fr\nAvecAR=1")
            .Headers();
    const auto decoded = ReadHeaderLines(headers);
    std::vector<std::string> got;
    for (const auto& mailbox : MailboxesOf(decoded, "Reply-To"))
      got.push_back(mailbox.DisplayName + "|" + mailbox.Address);
    EXPECT_EQ(got, replyTo) << sender;
    EXPECT_EQ(MailboxesOf(decoded, "From").at(0).Address, "jean@exemple.fr") << sender;
    EXPECT_EQ(HeaderValue(decoded, "Disposition-Notification-To"), HeaderValue(decoded, "From"))
        << sender;
  }
}

TEST(MailDate, FormatsUtcDates) {
  struct Case {
    std::time_t when;
    const char* text;
  };
  const Case cases[] = {
      {0, "Thu, 01 Jan 1970 00:00:00 +0000"},
      {kNow, "Tue, 05 Mar 2024 14:07:09 +0000"},
      {951782400, "Tue, 29 Feb 2000 00:00:00 +0000"},
      {4102444799, "Thu, 31 Dec 2099 23:59:59 +0000"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatMailDate(c.when), c.text);
}

TEST(MessageId, UniqueAndOnTheGivenDomain) {
  struct Case {
    const char* domain;
    const char* used;
  };
  const Case cases[] = {
      {"exemple.fr", "exemple.fr"}, {" mail.exemple.fr ", "mail.exemple.fr"},
      {"", "vellumo.localhost"},    {"bad domain", "vellumo.localhost"},
      {"x>y", "vellumo.localhost"}, {"bücher.de", "vellumo.localhost"},
  };
  std::set<std::string> seen;
  for (const Case& c : cases) {
    for (int i = 0; i < 3; ++i) {
      const std::string id = MakeMessageId(kNow, c.domain);
      const std::regex shape(
          "<[0-9a-f.]+@" + std::regex_replace(std::string(c.used), std::regex("\\."), "\\.") + ">");
      EXPECT_TRUE(std::regex_match(id, shape)) << id;
      EXPECT_TRUE(seen.insert(id).second) << id;
    }
  }
}

// The host's level keeps its low eight bits; levels past the fifth are sent
// as normal.
TEST(PriorityHeaders, FiveLevelsAndNormalOtherwise) {
  struct Case {
    const char* line;
    const char* xPriority;
    const char* msMail;
    const char* importance;
  };
  const Case cases[] = {
      {"", "3 (Normal)", "Normal", "normal"},
      {"Priorite=0", "1 (Highest)", "High", "high"},
      {"Priorite=1", "2 (High)", "High", "high"},
      {"Priorite=2", "3 (Normal)", "Normal", "normal"},
      {"Priorite=3", "4 (Low)", "Low", "low"},
      {"Priorite=4", "5 (Lowest)", "Low", "low"},
      {"Priorite=5", "3 (Normal)", "Normal", "normal"},
      {"Priorite=255", "3 (Normal)", "Normal", "normal"},
      {"Priorite=257", "2 (High)", "High", "high"},
      {"Priorite=-1", "3 (Normal)", "Normal", "normal"},
  };
  for (const Case& c : cases) {
    const OutgoingMessage message =
        test::Compose("AdresseEnvoi=v@exemple.fr\nEnvoyerA=c@exemple.fr\n" + std::string(c.line));
    EXPECT_EQ(HeaderOf(message, "X-Priority"), std::string("X-Priority: ") + c.xPriority) << c.line;
    EXPECT_EQ(HeaderOf(message, "X-MSMail-Priority"), std::string("X-MSMail-Priority: ") + c.msMail)
        << c.line;
    EXPECT_EQ(HeaderOf(message, "Importance"), std::string("Importance: ") + c.importance)
        << c.line;
  }
}

}  // namespace
}  // namespace vellumo
