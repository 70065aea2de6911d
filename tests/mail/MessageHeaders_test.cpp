#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <vector>

#include "mail/MessageWireFormat.h"
#include "tests/mail/PythonEmailReader.h"

namespace vellumo {
namespace {

constexpr std::time_t kNow = 1709647629;  // Tue, 05 Mar 2024 14:07:09 UTC

std::string NameOf(const std::string& header) { return header.substr(0, header.find(':')); }

std::vector<std::string> Names(const std::vector<std::string>& headers) {
  std::vector<std::string> names;
  for (const std::string& header : headers) names.push_back(NameOf(header));
  return names;
}

std::string Find(const std::vector<std::string>& headers, const std::string& name) {
  for (const std::string& header : headers) {
    if (NameOf(header) == name) return header;
  }
  return "<absent>";
}

MailMessage FullMessage() {
  MailMessage message;
  message.From.SetText("Ventes <ventes@exemple.fr>");
  message.ReplyTo.SetEMailAddresses("Ventes <ventes@exemple.fr>");
  message.ReceiptRecipient.SetText("Ventes <ventes@exemple.fr>");
  message.Recipients.SetEMailAddresses("client@exemple.fr");
  message.CCList.Add().Address = "copie@exemple.fr";
  message.CCList.Add().Address = " copie2@exemple.fr";
  message.CCList.Add().Address = "";
  message.BccList.Add().Address = "cache@exemple.fr";
  message.Subject = "Commande";
  return message;
}

TEST(TopLevelHeaders, OrderAndPresence) {
  struct Case {
    const char* label;
    void (*change)(MailMessage&);
    std::vector<std::string> names;
  };
  const std::vector<std::string> all = {"Date",       "From",         "Reply-To",
                                        "To",         "Cc",           "Subject",
                                        "Message-ID", "MIME-Version", "X-Priority",
                                        "X-MSMail-Priority", "Importance",
                                        "Disposition-Notification-To"};
  const std::vector<Case> cases = {
      {"everything", [](MailMessage&) {}, all},
      {"no receipt, reply-to or cc",
       [](MailMessage& m) {
         m.ReceiptRecipient = {};
         m.ReplyTo.Clear();
         m.CCList.Clear();
       },
       {"Date", "From", "To", "Subject", "Message-ID", "MIME-Version", "X-Priority",
        "X-MSMail-Priority", "Importance"}},
      {"blank cc entries only",
       [](MailMessage& m) {
         m.CCList.Clear();
         m.CCList.Add().Address = " ";
         m.ReceiptRecipient = {};
       },
       {"Date", "From", "Reply-To", "To", "Subject", "Message-ID", "MIME-Version", "X-Priority",
        "X-MSMail-Priority", "Importance"}},
  };
  for (const Case& c : cases) {
    MailMessage message = FullMessage();
    c.change(message);
    EXPECT_EQ(Names(BuildTopLevelHeaders(message, kNow, "exemple.fr")), c.names) << c.label;
  }
}

TEST(TopLevelHeaders, ValuesAsPythonReadsThem) {
  const auto headers = BuildTopLevelHeaders(FullMessage(), kNow, "exemple.fr");
  const auto decoded = test::DecodeWithPython(test::RawMessage(headers));
  EXPECT_EQ(decoded.Defects, 0);
  EXPECT_EQ(decoded.Header("Date"), "Tue, 05 Mar 2024 14:07:09 +0000");
  EXPECT_EQ(decoded.Header("From"), "Ventes <ventes@exemple.fr>");
  EXPECT_EQ(decoded.Header("To"), "client@exemple.fr");
  EXPECT_EQ(decoded.Header("Cc"), "copie@exemple.fr, copie2@exemple.fr");
  EXPECT_EQ(decoded.Header("Bcc"), "<absent>");
  EXPECT_EQ(decoded.Header("Disposition-Notification-To"), "Ventes <ventes@exemple.fr>");
  EXPECT_EQ(decoded.Header("MIME-Version"), "1.0");
  for (const std::string& header : headers) {
    EXPECT_EQ(header.find("cache@"), std::string::npos) << header;
  }
}

TEST(TopLevelHeaders, BlindCopiesOnlyGiveUndisclosedRecipients) {
  MailMessage message;
  message.From.SetText("ventes@exemple.fr");
  message.BccList.SetEMailAddresses("cache@exemple.fr");
  const auto headers = BuildTopLevelHeaders(message, kNow, "exemple.fr");
  EXPECT_EQ(Find(headers, "To"), "To: undisclosed-recipients:;");
  EXPECT_EQ(Find(headers, "Cc"), "<absent>");
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
  for (const Case& c : cases) {
    MailMessage message;
    EXPECT_EQ(BuildTopLevelHeaders(message, c.when, "")[0], std::string("Date: ") + c.text);
  }
}

TEST(MessageId, UniqueAndOnTheGivenDomain) {
  struct Case {
    const char* domain;
    const char* used;
  };
  const Case cases[] = {
      {"exemple.fr", "exemple.fr"},   {" mail.exemple.fr ", "mail.exemple.fr"},
      {"", "vellumo.localhost"},      {"bad domain", "vellumo.localhost"},
      {"x>y", "vellumo.localhost"},   {"bücher.de", "vellumo.localhost"},
  };
  std::set<std::string> seen;
  MailMessage message;
  for (const Case& c : cases) {
    for (int i = 0; i < 3; ++i) {
      const std::string header = Find(BuildTopLevelHeaders(message, kNow, c.domain), "Message-ID");
      const std::regex shape("Message-ID: <[0-9a-f.]+@" + std::regex_replace(
                                 std::string(c.used), std::regex("\\."), "\\.") + ">");
      EXPECT_TRUE(std::regex_match(header, shape)) << header;
      EXPECT_TRUE(seen.insert(header).second) << header;
    }
  }
}

TEST(PriorityHeaders, FiveLevelsAndNormalOtherwise) {
  struct Case {
    unsigned priority;
    const char* xPriority;
    const char* msMail;
    const char* importance;
  };
  const Case cases[] = {
      {0, "1 (Highest)", "High", "high"}, {1, "2 (High)", "High", "high"},
      {2, "3 (Normal)", "Normal", "normal"}, {3, "4 (Low)", "Low", "low"},
      {4, "5 (Lowest)", "Low", "low"},     {5, "3 (Normal)", "Normal", "normal"},
      {255, "3 (Normal)", "Normal", "normal"},
  };
  for (const Case& c : cases) {
    MailMessage message;
    message.Priority = static_cast<std::uint8_t>(c.priority);
    const auto headers = BuildTopLevelHeaders(message, kNow, "");
    EXPECT_EQ(Find(headers, "X-Priority"), std::string("X-Priority: ") + c.xPriority) << c.priority;
    EXPECT_EQ(Find(headers, "X-MSMail-Priority"), std::string("X-MSMail-Priority: ") + c.msMail)
        << c.priority;
    EXPECT_EQ(Find(headers, "Importance"), std::string("Importance: ") + c.importance)
        << c.priority;
  }
}

}  // namespace
}  // namespace vellumo
