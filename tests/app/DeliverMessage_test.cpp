// The send procedure with a scripted client: its outcomes, marks and cursor,
// and what it keeps of the host's file for the manual save.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "fakes/RunHarness.h"
#include "mail/OutgoingMessage.h"
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
  TSMTPConfig account(run.clients, SmtpAccount());

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

// Sends the message built from `email` (keys of section Email) and returns
// what the client got.
OutgoingMessage Sent(const std::string& email, RunHarness& run) {
  run.clients.prototype.connected = true;
  run.WriteIni("[Email]\nAdresseEnvoi=ventes@exemple.fr\nEnvoyerA=client@exemple.fr\n" + email +
               "\n");
  TSMTPConfig account(run.clients, SmtpAccount());
  run.fiche.DeliverMessage(account);
  EXPECT_FALSE(run.fiche.ErrorFlag()) << run.fiche.ErrorMessage();
  EXPECT_TRUE(run.clients.Last()->sent.has_value());
  return run.clients.Last()->sent.value_or(OutgoingMessage({}, {}, "", std::nullopt));
}

TEST(DeliverMessage, DocumentIsKeptForTheManualSaveAndSent) {
  const std::pair<const char*, const char*> cases[] = {
      {"FilePath=/srv/c42.pdf", ""},
      {"FilePath=/srv/c42.pdf\nFileName=Commande n°42 été.pdf", "Commande n°42 été.pdf"}};
  for (const auto& [keys, name] : cases) {
    RunHarness run;
    const OutgoingMessage message = Sent(keys, run);
    ASSERT_TRUE(message.Attachment().has_value());
    EXPECT_EQ(message.Attachment()->Path, "/srv/c42.pdf");
    EXPECT_EQ(message.Attachment()->Name, name);
    EXPECT_EQ(run.fiche.DocumentPath(), "/srv/c42.pdf");
    EXPECT_EQ(run.fiche.DocumentFileName(), name);
  }
}

TEST(DeliverMessage, AnUnreadableAddressLeavesWithTheCursorRestored) {
  RunHarness run;
  run.clients.prototype.connected = true;
  run.WriteIni(
      "[Email]\nAdresseEnvoi=ventes@exemple.fr\nEnvoyerA=pas une adresse\nFilePath=/srv/c42.pdf\n");
  TSMTPConfig account(run.clients, SmtpAccount());
  EXPECT_THROW(run.fiche.DeliverMessage(account), std::exception);
  EXPECT_EQ(run.toolkit.cursor, CursorKind::Default);
  EXPECT_EQ(run.clients.Last()->CountOf("Send"), 0);
  EXPECT_EQ(run.fiche.DocumentPath(), "/srv/c42.pdf");  // the manual save still finds it
}

}  // namespace
}  // namespace vellumo::testing
