// The connection check with a scripted client: every way it can end, with
// both keep-connection flags.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "fakes/RunHarness.h"
#include "config/IniDocument.h"
#include "config/IniFile.h"
#include "smtp/TSMTPConfig.h"

namespace vellumo::testing {
namespace {

const char* kUnusable =
    "Erreur : la configuration actuelle ne permet pas de se connecter à votre SMTP.\n"
    "Vérifiez votre configuration.";
const char* kMissingConfigMail =
    "Erreur : la section ConfigMail n'éxiste pas dans le fichier de configuration.\n"
    "Vérifiez votre configuration.";

struct CheckCase {
  const char* name;
  const char* ini;
  std::function<void(FakeSmtpClient&)> script;
  bool keep;
  const char* error;  // empty: success
  std::set<std::string> passed;
  bool returnsObject;
  std::vector<std::string> calls;
};

const std::set<std::string> kAllThree = {"EtatConnexionReadConf", "EtatConnexionCheckConf",
                                         "EtatConnexionResultat"};
const std::set<std::string> kReadAndCheck = {"EtatConnexionReadConf", "EtatConnexionCheckConf"};

void Nothing(FakeSmtpClient&) {}

const CheckCase kChecks[] = {
    {"success_closes", kPlainAccount, Nothing, false, "", kAllThree, false,
     {"Connected", "Connect", "Connected", "Disconnect"}},
    {"success_keeps", kPlainAccount, Nothing, true, "", kAllThree, true,
     {"Connected", "Connect", "Connected"}},
    {"already_connected_connects_no_more", kPlainAccount,
     [](FakeSmtpClient& c) { c.connected = true; }, true, "", kAllThree, true, {"Connected"}},
    {"missing_section", "[Email]\nEnvoiMode=1\n", Nothing, true, kMissingConfigMail, {}, false, {}},
    {"port_absent_is_unusable", "[ConfigMail]\nSmtpAdresse=h\n", Nothing, false, kUnusable,
     {"EtatConnexionReadConf"}, false, {"Disconnect"}},
    {"unusable_kept_without_connecting", "[ConfigMail]\nSmtpAdresse=h\n", Nothing, true, kUnusable,
     {"EtatConnexionReadConf"}, true, {}},
    {"connect_returns_unconnected", kPlainAccount,
     [](FakeSmtpClient& c) { c.connectSucceeds = false; }, false,
     "Erreur : Kalvero n'arrive pas à se connecter à votre comtpe SMTP, vérifiez votre "
     "paramètrage.",
     kReadAndCheck, false, {"Connected", "Connect", "Connected", "Disconnect"}},
    {"connect_throws_its_text", kPlainAccount,
     [](FakeSmtpClient& c) { c.connectThrows = "Erreur : connexion refusée."; }, true,
     "Erreur : connexion refusée.", kReadAndCheck, true, {"Connected", "Connect"}},
};

class CheckSMTPConnectionTest : public ::testing::TestWithParam<CheckCase> {};

TEST_P(CheckSMTPConnectionTest, MarksAndResult) {
  const CheckCase& c = GetParam();
  RunHarness run;
  c.script(run.clients.prototype);
  run.WriteIni(c.ini);

  auto result = run.fiche.CheckSMTPConnection(c.keep);

  EXPECT_EQ(run.fiche.ErrorFlag(), std::string(c.error) != "");
  EXPECT_EQ(run.fiche.ErrorMessage(), c.error);
  for (const auto& step : {"EtatConnexionReadConf", "EtatConnexionCheckConf",
                           "EtatConnexionResultat"}) {
    EXPECT_EQ(run.toolkit.IsVisible(std::string("Img") + step + "Yes"), c.passed.count(step) == 1)
        << step;
  }
  EXPECT_EQ(result != nullptr, c.returnsObject);
  std::vector<std::string> calls = run.clients.Last() ? run.clients.Last()->calls
                                                      : std::vector<std::string>{};
  EXPECT_EQ(calls, c.calls);
  EXPECT_EQ(run.toolkit.events.back(), "process");
}

INSTANTIATE_TEST_SUITE_P(Outcomes, CheckSMTPConnectionTest, ::testing::ValuesIn(kChecks),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(CheckSMTPConnection, ADisconnectFailureReachesTheCaller) {
  RunHarness run;
  run.clients.prototype.disconnectThrows = "Erreur : fermeture impossible.";
  run.WriteIni(kPlainAccount);
  EXPECT_THROW(run.fiche.CheckSMTPConnection(false), std::exception);
}

TEST(CheckSMTPConnection, MissingFileReportsTheAccountSection) {
  RunHarness run;
  run.fiche.SetConfigPath((run.dir.Path() / "absent.ini").string());
  EXPECT_EQ(run.fiche.CheckSMTPConnection(true), nullptr);
  EXPECT_EQ(run.fiche.ErrorMessage(), kMissingConfigMail);
  EXPECT_FALSE(std::filesystem::exists(run.dir.Path() / "absent.ini"));
}

TEST(CreateSMTPConfig, GivesTheClientTheFileAccountAndMarksTheFirstStep) {
  RunHarness run;
  run.WriteIni("[ConfigMail]\nSmtpAdresse=smtp.exemple.fr\nSmtpPort=587\nSmtpAuth=1\n"
               "SmtpCompte=jean\nSmtpMotDePasse=p\n");
  auto config = run.fiche.CreateSMTPConfig(ReadIniDocument(run.iniPath));

  ASSERT_NE(run.clients.Last(), nullptr);
  const SmtpAccount& account = run.clients.Last()->account;
  EXPECT_EQ(account.Host(), "smtp.exemple.fr");
  EXPECT_EQ(account.Port(), 587);
  EXPECT_EQ(account.Login(), "jean");
  EXPECT_TRUE(config->IsValid());
  EXPECT_FALSE(run.fiche.ErrorFlag());
  EXPECT_TRUE(run.toolkit.IsVisible("ImgEtatConnexionReadConfYes"));
}

TEST(CreateSMTPConfig, MissingSectionOrClientIsAFailureWithoutMark) {
  {
    RunHarness run;
    run.WriteIni("[Email]\nEnvoiMode=1\n");
    auto config = run.fiche.CreateSMTPConfig(ReadIniDocument(run.iniPath));
    EXPECT_TRUE(config);  // the unusable account comes back
    EXPECT_EQ(run.fiche.ErrorMessage(), kMissingConfigMail);
    EXPECT_FALSE(run.toolkit.IsVisible("ImgEtatConnexionReadConfYes"));
  }
  {
    RunHarness run;
    run.clients.createsNothing = true;
    run.WriteIni(kPlainAccount);
    auto config = run.fiche.CreateSMTPConfig(ReadIniDocument(run.iniPath));
    ASSERT_TRUE(config);
    EXPECT_TRUE(config->IsClientMissing());
    EXPECT_EQ(run.fiche.ErrorMessage(), "Erreur : impossible de créer l'objet Config SMTP.");
    EXPECT_FALSE(run.toolkit.IsVisible("ImgEtatConnexionReadConfYes"));
  }
}

}  // namespace
}  // namespace vellumo::testing
