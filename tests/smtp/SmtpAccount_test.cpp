// The account read from ConfigMail: what reaches the client and whether the
// account is judged usable.
#include <gtest/gtest.h>

#include "config/IniDocument.h"
#include "config/IniFile.h"
#include "fakes/RunHarness.h"
#include "smtp/TSMTPConfig.h"

namespace vellumo::testing {
namespace {

struct AccountCase {
  const char* name;
  const char* section;
  const char* host;
  int port;
  const char* user;
  const char* password;
  int tlsHandlers;
  int tlsMode;
  bool verify;
  bool valid;
};

const AccountCase kAccounts[] = {
    {"plain", "SmtpAdresse=smtp.x.fr\nSmtpPort=25", "smtp.x.fr", 25, "", "", 0, 0, true, true},
    {"port_absent", "SmtpAdresse=smtp.x.fr", "smtp.x.fr", 65535, "", "", 0, 0, true, false},
    {"port_cut_to_16_bits", "SmtpAdresse=h\nSmtpPort=70000", "h", 4464, "", "", 0, 0, true, true},
    {"port_zero_passes", "SmtpAdresse=h\nSmtpPort=0", "h", 0, "", "", 0, 0, true, true},
    {"empty_host", "SmtpAdresse=\nSmtpPort=25", "", 25, "", "", 0, 0, true, false},
    {"auth_without_password", "SmtpAdresse=h\nSmtpPort=25\nSmtpAuth=1\nSmtpCompte=jean", "h", 25,
     "jean", "", 0, 0, true, false},
    {"auth_complete", "SmtpAdresse=h\nSmtpPort=587\nSmtpAuth=1\nSmtpCompte=jean\nSmtpMotDePasse=p€ss",
     "h", 587, "jean", "p€ss", 0, 0, true, true},
    {"auth_off_ignores_credentials",
     "SmtpAdresse=h\nSmtpPort=25\nSmtpAuth=0\nSmtpCompte=jean\nSmtpMotDePasse=x", "h", 25, "", "",
     0, 0, true, true},
    {"tls_mode_absent", "SmtpAdresse=h\nSmtpPort=25\nUseSmtpTLS=1", "h", 25, "", "", 1, 0, true,
     true},
    {"tls_mode_4", "SmtpAdresse=h\nSmtpPort=25\nUseSmtpTLS=1\nSmtpTLSMode=4", "h", 25, "", "", 1, 4,
     true, false},
    {"tls_mode_minus_1", "SmtpAdresse=h\nSmtpPort=25\nUseSmtpTLS=1\nSmtpTLSMode=-1", "h", 25, "",
     "", 1, 255, true, false},
    {"tls_mode_259_is_explicit", "SmtpAdresse=h\nSmtpPort=25\nUseSmtpTLS=1\nSmtpTLSMode=259", "h",
     25, "", "", 1, 3, true, true},
    {"tls_off_mode_not_read", "SmtpAdresse=h\nSmtpPort=25\nUseSmtpTLS=0\nSmtpTLSMode=7", "h", 25,
     "", "", 0, 0, true, true},
    {"unverified_certificate",
     "SmtpAdresse=h\nSmtpPort=465\nUseSmtpTLS=1\nSmtpTLSMode=1\nSmtpVerifierCertificat=0", "h", 465,
     "", "", 1, 1, false, true},
    {"verification_key_ignored_without_tls",
     "SmtpAdresse=h\nSmtpPort=25\nSmtpVerifierCertificat=0", "h", 25, "", "", 0, 0, true, true},
};

class SmtpAccountTest : public ::testing::TestWithParam<AccountCase> {};

TEST_P(SmtpAccountTest, ConfiguresTheClientAndJudgesTheAccount) {
  const AccountCase& c = GetParam();
  RunHarness run;
  run.WriteIni(std::string("[ConfigMail]\n") + c.section + "\n");
  const IniDocument ini = ReadIniDocument(run.iniPath, NativeFileSystem());

  auto config = run.fiche.CreateSMTPConfig(ini);

  ASSERT_TRUE(config);
  EXPECT_FALSE(run.fiche.ErrorFlag());
  EXPECT_EQ(config->SMTP->Host, c.host);
  EXPECT_EQ(config->SMTP->Port, c.port);
  EXPECT_EQ(config->SMTP->Username, c.user);
  EXPECT_EQ(config->SMTP->Password, c.password);
  EXPECT_EQ(config->SMTP->TlsHandlers, c.tlsHandlers);
  EXPECT_EQ(config->SMTP->UseTLS, c.tlsMode);
  EXPECT_EQ(config->SMTP->VerifyCertificate, c.verify);
  EXPECT_EQ(config->IsValid(), c.valid);
  EXPECT_TRUE(run.toolkit.IsVisible("ImgEtatConnexionReadConfYes"));
}

INSTANTIATE_TEST_SUITE_P(Accounts, SmtpAccountTest, ::testing::ValuesIn(kAccounts),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(SmtpAccount, EveryTlsModeCallInstallsANewHandler) {
  FakeSmtpClientFactory clients;
  TSMTPConfig config(clients);
  config.SetTLSMode(2);  // TLS not asked for: nothing happens
  EXPECT_EQ(config.SMTP->TlsHandlers, 0);
  config.SetTLS(true);
  config.SetTLSMode(2);
  config.SetTLSMode(3);
  EXPECT_EQ(config.SMTP->TlsHandlers, 2);
  EXPECT_EQ(config.SMTP->UseTLS, 3);
}

TEST(SmtpAccount, DestroyingTheAccountLeavesTheClientAlone) {
  FakeSmtpClientFactory clients;
  clients.prototype.connected = true;
  { TSMTPConfig config(clients); }
  ASSERT_NE(clients.Last(), nullptr);
  EXPECT_TRUE(clients.Last()->calls.empty());
  EXPECT_TRUE(clients.Last()->connected);
}

TEST(SmtpAccount, MissingSectionOrClientIsAFailureWithoutMark) {
  {
    RunHarness run;
    run.WriteIni("[Email]\nEnvoiMode=1\n");
    const IniDocument ini = ReadIniDocument(run.iniPath, NativeFileSystem());
    auto config = run.fiche.CreateSMTPConfig(ini);
    EXPECT_TRUE(config);  // the unconfigured object comes back
    EXPECT_EQ(run.fiche.ErrorMessage(),
              "Erreur : la section ConfigMail n'éxiste pas dans le fichier de configuration.\n"
              "Vérifiez votre configuration.");
    EXPECT_FALSE(run.toolkit.IsVisible("ImgEtatConnexionReadConfYes"));
  }
  {
    RunHarness run;
    run.clients.createsNothing = true;
    run.WriteIni(kPlainAccount);
    const IniDocument ini = ReadIniDocument(run.iniPath, NativeFileSystem());
    auto config = run.fiche.CreateSMTPConfig(ini);
    ASSERT_TRUE(config);
    EXPECT_TRUE(config->IsClientMissing());
    EXPECT_EQ(run.fiche.ErrorMessage(), "Erreur : impossible de créer l'objet Config SMTP.");
    EXPECT_FALSE(run.toolkit.IsVisible("ImgEtatConnexionReadConfYes"));
  }
}

}  // namespace
}  // namespace vellumo::testing
