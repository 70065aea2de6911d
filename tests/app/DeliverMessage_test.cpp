// The send procedure with a scripted client: its outcomes, marks and cursor,
// and the message it builds from the host's file.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "fakes/RunHarness.h"
#include "mail/MailMessage.h"
#include "smtp/TSMTPConfig.h"

namespace vellumo::testing {
namespace {

const char* kMessage =
    "[Email]\nEnvoiMode=2\nFilePath=/srv/commandes/c42.pdf\nFileName=Commande 42.pdf\n"
    "AdresseEnvoi=ventes@exemple.fr\nEnvoyerA=client@exemple.fr\nObjet=Votre commande\n"
    "[EmailCorps]\nL1=Bonjour,\nL2=\nL3=Cordialement\n";

const std::set<std::string> kAllFour = {"VellumoReadConf", "VellumoPreparation",
                                        "VellumoConnexion", "VellumoResultat"};
const std::set<std::string> kUpToPreparation = {"VellumoReadConf", "VellumoPreparation"};
const std::set<std::string> kUpToConnexion = {"VellumoReadConf", "VellumoPreparation",
                                              "VellumoConnexion"};

struct DeliverCase {
  const char* name;
  const char* ini;
  std::function<void(FakeSmtpClient&)> script;
  const char* error;
  std::set<std::string> passed;
  std::vector<std::string> calls;
  bool cursorUsed;
};

void StillConnected(FakeSmtpClient& c) { c.connected = true; }

const DeliverCase kDeliveries[] = {
    {"sent", kMessage, StillConnected, "", kAllFour,
     {"Connected", "Connected", "Send", "Disconnect"}, true},
    {"dropped_connection_reconnects", kMessage,
     [](FakeSmtpClient& c) {
       c.connected = false;
       c.connectSucceeds = true;
     },
     "", kAllFour, {"Connected", "Connect", "Connected", "Connected", "Send", "Disconnect"}, true},
    {"email_section_missing", "[EmailCorps]\nL1=x\n", StillConnected,
     "Erreur : la section Email n'éxiste pas dans le fichier de configuration.\n"
     "Vérifiez votre configuration.",
     {}, {}, false},
    {"not_connected_after_connect", kMessage,
     [](FakeSmtpClient& c) { c.connectSucceeds = false; },
     "Erreur : Kalvero n'arrive pas à se connecter à votre comtpe SMTP, vérifiez votre "
     "paramètrage.",
     kUpToPreparation, {"Connected", "Connect", "Connected", "Connected"}, true},
    {"connect_throws", kMessage,
     [](FakeSmtpClient& c) { c.connectThrows = "Erreur : le serveur ne répond pas."; },
     "Erreur : le serveur ne répond pas.", kUpToPreparation, {"Connected", "Connect"}, true},
    {"recipient_refused", kMessage,
     [](FakeSmtpClient& c) {
       c.connected = true;
       c.sendThrows = "Erreur : le serveur SMTP a refusé le destinataire <client@exemple.fr>.";
     },
     "Erreur : le serveur SMTP a refusé le destinataire <client@exemple.fr>.", kUpToConnexion,
     {"Connected", "Connected", "Send"}, true},
    {"connection_lost_while_sending_is_a_failure", kMessage,
     [](FakeSmtpClient& c) {
       c.connected = true;
       c.sendThrows = "Erreur : le serveur SMTP a fermé la connexion.";
     },
     "Erreur : le serveur SMTP a fermé la connexion.", kUpToConnexion,
     {"Connected", "Connected", "Send"}, true},
    {"disconnect_throws", kMessage,
     [](FakeSmtpClient& c) {
       c.connected = true;
       c.disconnectThrows = "Erreur : fermeture.";
     },
     "Erreur : fermeture.", kUpToConnexion, {"Connected", "Connected", "Send", "Disconnect"}, true},
};

class DeliverMessageTest : public ::testing::TestWithParam<DeliverCase> {};

TEST_P(DeliverMessageTest, OutcomeMarksAndCursor) {
  const DeliverCase& c = GetParam();
  RunHarness run;
  c.script(run.clients.prototype);
  run.WriteIni(c.ini);
  TSMTPConfig account(run.clients);

  run.fiche.DeliverMessage(account);

  EXPECT_EQ(run.fiche.ErrorMessage(), c.error);
  EXPECT_EQ(run.fiche.ErrorFlag(), std::string(c.error) != "");
  for (const auto& step : {"VellumoReadConf", "VellumoPreparation", "VellumoConnexion",
                           "VellumoResultat"})
    EXPECT_EQ(run.toolkit.IsVisible(std::string("Img") + step + "Yes"), c.passed.count(step) == 1)
        << step;
  EXPECT_EQ(run.clients.Last()->calls, c.calls);
  EXPECT_EQ(run.toolkit.Has("cursor -11"), c.cursorUsed);
  EXPECT_EQ(run.toolkit.cursor, CursorKind::Default);
  if (c.cursorUsed) {
    EXPECT_EQ(run.toolkit.IndexOf("cursor 0"), int(run.toolkit.events.size()) - 1);
  }
}

INSTANTIATE_TEST_SUITE_P(Outcomes, DeliverMessageTest, ::testing::ValuesIn(kDeliveries),
                         [](const auto& row) { return std::string(row.param.name); });

// Sends the message built from `email` (keys of section Email) and
// `body` (section EmailCorps, may be empty) and returns what the client got.
MailMessage Sent(const std::string& email, const std::string& body = "",
                 RunHarness* keep = nullptr, const std::string& sender = "ventes@exemple.fr") {
  RunHarness local;
  RunHarness& run = keep ? *keep : local;
  run.clients.prototype.connected = true;
  run.WriteIni("[Email]\nAdresseEnvoi=" + sender + "\nEnvoyerA=client@exemple.fr\n" + email +
               "\n" + body);
  TSMTPConfig account(run.clients);
  run.fiche.DeliverMessage(account);
  EXPECT_FALSE(run.fiche.ErrorFlag()) << run.fiche.ErrorMessage();
  EXPECT_TRUE(run.clients.Last()->sent.has_value());
  return run.clients.Last()->sent.value_or(MailMessage{});
}

TEST(ComposeMessage, PriorityKeepsTheLowEightBits) {
  const std::pair<const char*, int> cases[] = {
      {"", 2}, {"Priorite=1", 1}, {"Priorite=258", 2}, {"Priorite=0", 0}, {"Priorite=4", 4}};
  for (const auto& [line, level] : cases) EXPECT_EQ(Sent(line).Priority, level) << line;
}

TEST(ComposeMessage, ReadReceiptOnlyWhenAsked) {
  const std::pair<const char*, bool> cases[] = {
      {"AvecAR=1", true}, {"AvecAR=0", false}, {"AvecAR=yes", false}, {"", false}};
  for (const auto& [line, asked] : cases) {
    const MailMessage message = Sent(line);
    EXPECT_EQ(message.ReceiptRecipient.Address, asked ? "ventes@exemple.fr" : "") << line;
  }
}

TEST(ComposeMessage, ReplyAndReceiptTakeTheSenderMailboxUnlessItIsAList) {
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {"Dupont, Jean <jean@exemple.fr>", {"Dupont, Jean|jean@exemple.fr"}},
      {"\"Dupont, Jean\" <jean@exemple.fr>", {"Dupont, Jean|jean@exemple.fr"}},
      // A text that reads as a list stays a list.
      {"ventes@exemple.fr, Jean <jean@exemple.fr>",
       {"|ventes@exemple.fr", "Jean|jean@exemple.fr"}},
  };
  for (const auto& [sender, replyTo] : cases) {
    const MailMessage message = Sent("AvecAR=1", "", nullptr, sender);
    std::vector<std::string> got;
    for (const auto& item : message.ReplyTo.Items()) got.push_back(item.Name + "|" + item.Address);
    EXPECT_EQ(got, replyTo) << sender;
    EXPECT_EQ(message.ReceiptRecipient.Name, message.From.Name) << sender;
    EXPECT_EQ(message.ReceiptRecipient.Address, "jean@exemple.fr") << sender;
  }
}

TEST(ComposeMessage, BodyLinesKeepTheirPlaceAfterTheFirstEquals) {
  const MailMessage message =
      Sent("", "[EmailCorps]\nL1=Total = 42 €\nL2=\nL3=.point\nL4==début\n");
  EXPECT_EQ(message.Body,
            (std::vector<std::string>{"Total = 42 €", "", ".point", "=début"}));
  EXPECT_TRUE(Sent("").Body.empty());
}

TEST(ComposeMessage, DocumentNameIsSetApartFromItsPath) {
  RunHarness run;
  MailMessage message = Sent("FilePath=/srv/c42.pdf", "", &run);
  ASSERT_NE(message.Attachment(), nullptr);
  EXPECT_EQ(message.Attachment()->StoredPath, "/srv/c42.pdf");
  EXPECT_EQ(message.Attachment()->FileName, "");
  EXPECT_EQ(run.fiche.DocumentPath(), "/srv/c42.pdf");
  EXPECT_EQ(run.fiche.DocumentFileName(), "");

  message = Sent("FilePath=/srv/c42.pdf\nFileName=Commande n°42 été.pdf");
  EXPECT_EQ(message.Attachment()->FileName, "Commande n°42 été.pdf");
}

TEST(ComposeMessage, CopiesAreCutAtSemicolonsAndKeptAsWritten) {
  const MailMessage message = Sent("Cc=a@x.fr; b@x.fr\nCci=c@x.fr;;d@x.fr;");
  std::vector<std::string> cc, bcc;
  for (const auto& item : message.CCList.Items()) cc.push_back(item.Address);
  for (const auto& item : message.BccList.Items()) bcc.push_back(item.Address);
  EXPECT_EQ(cc, (std::vector<std::string>{"a@x.fr", " b@x.fr"}));
  EXPECT_EQ(bcc, (std::vector<std::string>{"c@x.fr", "", "d@x.fr"}));

  const MailMessage commas = Sent("Cc=a@x.fr, b@x.fr");
  ASSERT_EQ(commas.CCList.Items().size(), 2u);
  EXPECT_EQ(commas.CCList.Items()[1].Address, "b@x.fr");
}

TEST(ComposeMessage, AnUnreadableAddressLeavesWithTheCursorRestored) {
  RunHarness run;
  run.clients.prototype.connected = true;
  run.WriteIni("[Email]\nAdresseEnvoi=ventes@exemple.fr\nEnvoyerA=pas une adresse\n");
  TSMTPConfig account(run.clients);
  EXPECT_THROW(run.fiche.DeliverMessage(account), std::exception);
  EXPECT_EQ(run.toolkit.cursor, CursorKind::Default);
  EXPECT_EQ(run.clients.Last()->CountOf("Send"), 0);
}

TEST(SplitAddresses, CutsAtEverySemicolon) {
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {"a;b", {"a", "b"}},   {"a;b;", {"a", "b"}}, {"a;;b", {"a", "", "b"}},
      {";a", {"", "a"}},     {"a; b", {"a", " b"}}, {"a", {"a"}},
      {"", {}},              {";", {""}},
  };
  RunHarness run;
  for (const auto& [text, pieces] : cases) EXPECT_EQ(run.fiche.SplitAddresses(text), pieces) << text;
}

}  // namespace
}  // namespace vellumo::testing
