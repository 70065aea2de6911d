// The account read from ConfigMail: what it holds and whether it is judged
// usable.
#include "smtp/SmtpAccount.h"

#include <gtest/gtest.h>

#include "config/IniDocument.h"
#include "fakes/FakeSmtpClient.h"
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
  bool tls;
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
    {"auth_complete",
     "SmtpAdresse=h\nSmtpPort=587\nSmtpAuth=1\nSmtpCompte=jean\nSmtpMotDePasse=p€ss", "h", 587,
     "jean", "p€ss", 0, 0, true, true},
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
    {"verification_key_ignored_without_tls", "SmtpAdresse=h\nSmtpPort=25\nSmtpVerifierCertificat=0",
     "h", 25, "", "", 0, 0, true, true},
    {"oauth_access_token_needs_no_password",
     "SmtpAdresse=h\nSmtpPort=587\nSmtpAuth=1\nSmtpOAuth=1\nSmtpCompte=jean\n"
     "SmtpMotDePasse=ignored\nOAuthJetonAcces=t",
     "h", 587, "jean", "", 0, 0, true, true},
    {"oauth_client_id_and_refresh_token",
     "SmtpAdresse=h\nSmtpPort=587\nSmtpAuth=1\nSmtpOAuth=1\nSmtpCompte=jean\n"
     "OAuthClientId=c\nOAuthJetonRenouvellement=r",
     "h", 587, "jean", "", 0, 0, true, true},
    {"oauth_client_id_and_secret",
     "SmtpAdresse=h\nSmtpPort=587\nSmtpAuth=1\nSmtpOAuth=1\nSmtpCompte=jean\n"
     "OAuthClientId=c\nOAuthClientSecret=s",
     "h", 587, "jean", "", 0, 0, true, true},
    {"oauth_refresh_token_without_client_id",
     "SmtpAdresse=h\nSmtpPort=587\nSmtpAuth=1\nSmtpOAuth=1\nSmtpCompte=jean\n"
     "OAuthJetonRenouvellement=r",
     "h", 587, "jean", "", 0, 0, true, false},
    {"oauth_client_id_alone",
     "SmtpAdresse=h\nSmtpPort=587\nSmtpAuth=1\nSmtpOAuth=1\nSmtpCompte=jean\nOAuthClientId=c", "h",
     587, "jean", "", 0, 0, true, false},
    {"oauth_without_mailbox",
     "SmtpAdresse=h\nSmtpPort=587\nSmtpAuth=1\nSmtpOAuth=1\nOAuthJetonAcces=t", "h", 587, "", "", 0,
     0, true, false},
    {"oauth_ignored_without_auth",
     "SmtpAdresse=h\nSmtpPort=25\nSmtpAuth=0\nSmtpOAuth=1\nOAuthJetonAcces=t", "h", 25, "", "", 0,
     0, true, true},
};

class SmtpAccountTest : public ::testing::TestWithParam<AccountCase> {};

TEST_P(SmtpAccountTest, ReadsTheAccountAndJudgesIt) {
  const AccountCase& c = GetParam();
  const SmtpAccount account =
      AccountFromIni(IniDocument(std::string("[ConfigMail]\n") + c.section + "\n"));

  EXPECT_EQ(account.Host(), c.host);
  EXPECT_EQ(account.Port(), c.port);
  EXPECT_EQ(account.Login(), c.user);
  EXPECT_EQ(account.Password(), c.password);
  EXPECT_EQ(account.TlsEnabled(), c.tls);
  EXPECT_EQ(account.RawTlsMode(), c.tlsMode);
  EXPECT_EQ(account.Tls().has_value(), c.tlsMode <= 3);
  EXPECT_EQ(account.VerifiesCertificate(), c.verify);
  EXPECT_EQ(account.IsValid(), c.valid);
  EXPECT_EQ(account.UsesOAuth(),
            std::string(c.section).find("SmtpAuth=1\nSmtpOAuth=1") != std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Accounts, SmtpAccountTest, ::testing::ValuesIn(kAccounts),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(SmtpAccount, DestroyingTheAccountLeavesTheClientAlone) {
  FakeSmtpClientFactory clients;
  clients.prototype.connected = true;
  { TSMTPConfig config(clients, SmtpAccount()); }
  ASSERT_NE(clients.Last(), nullptr);
  EXPECT_TRUE(clients.Last()->calls.empty());
  EXPECT_TRUE(clients.Last()->connected);
}

}  // namespace
}  // namespace vellumo::testing
