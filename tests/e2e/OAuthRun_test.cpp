// Whole runs of an OAuth account: the access token given in the INI file,
// or obtained from a token endpoint over HTTPS (client credentials, refresh
// token), then an XOAUTH2 login on a server that accepts only the tokens
// the endpoint issued; and the failures of each step. No secret may show in
// a box, on standard error or in any file but the user's token cache.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "config/IniDocument.h"
#include "config/IniFile.h"
#include "e2e/RealRun.h"
#include "e2e/SmtpTestServer.h"
#include "e2e/TestCertificates.h"
#include "e2e/TokenTestServer.h"
#include "platform/SecretFile.h"
#include "smtp/RefreshTokenCache.h"
#include "smtp/SmtpFailure.h"
#include "smtp/TSMTPConfig.h"
#include "smtp/curl/CurlSmtpClient.h"

namespace vellumo::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kMailbox = "ventes@contoso.fr";
constexpr const char* kPassword = "mot-de-passe-secret";
constexpr const char* kSecret = "s3cr3t~Client.Value_42";
constexpr const char* kWrongSecret = "faux~secret.client_7";
constexpr const char* kFirstRefreshToken = "rt-consent-of-the-owner-0";
constexpr const char* kHostToken = "at-obtained-by-the-host";
constexpr const char* kUnknownToken = "at-never-issued-by-anyone";

const TestCertificates& Certificates() {
  static const TestCertificates certificates;
  return certificates;
}

CurlSmtpOptions TestOptions() {
  CurlSmtpOptions options;
  options.CaFile = Certificates().CaFile();  // for the SMTP server and the endpoint alike
  options.ConnectTimeoutSeconds = 5;
  options.IdleTimeoutSeconds = 5;
  return options;
}

// The user's data folder, where the refresh-token cache goes: a fresh one
// for each test.
struct DataHome {
  DataHome() { setenv("XDG_DATA_HOME", dir.Path().c_str(), 1); }
  fs::path CacheFile() const { return dir.Path() / "vellumo" / "oauth-refresh-tokens.json"; }
  TempDirectory dir;
};

TokenServerOptions EndpointOptions() {
  TokenServerOptions options;
  options.CertFile = Certificates().Trusted().CertFile;
  options.KeyFile = Certificates().Trusted().KeyFile;
  options.ClientSecret = kSecret;
  options.RefreshToken = kFirstRefreshToken;
  options.Rotate = true;
  return options;
}

SmtpServerOptions MailServerOptions(const TokenTestServer& endpoint) {
  SmtpServerOptions options;
  options.Tls = ServerTls::StartTls;
  options.CertFile = Certificates().Trusted().CertFile;
  options.KeyFile = Certificates().Trusted().KeyFile;
  options.RequireStartTls = true;
  options.AuthRequired = true;
  options.AuthUser = kMailbox;
  options.AuthPassword = kPassword;
  options.OAuthUser = kMailbox;
  options.OAuthTokensFile = endpoint.IssuedFile();
  return options;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
    text.replace(at, from.size(), to);
    at += to.size();
  }
  return text;
}

std::string Ini(int mode, std::uint16_t smtpPort, const std::string& document,
                const std::string& account) {
  return "[Email]\nEnvoiMode=" + std::to_string(mode) + "\nFilePath=" + document +
         "\nFileName=commande.pdf\nAdresseEnvoi=" + kMailbox +
         "\nEnvoyerA=client@exemple.com\nObjet=Commande\n\n[ConfigMail]\nSmtpAdresse=127.0.0.1\n"
         "SmtpPort=" +
         std::to_string(smtpPort) + "\nSmtpAuth=1\nSmtpCompte=" + kMailbox +
         "\nUseSmtpTLS=1\nSmtpTLSMode=2\n" + account;
}

// Everything a secret could have leaked into, but the cache and what the
// host wrote into its INI file (`ini`).
void ExpectNoSecretShown(const RealRun& run, const std::string& ini, const std::string& stderrText,
                         const DataHome& home, const std::vector<std::string>& secrets) {
  std::vector<std::pair<std::string, std::string>> places;
  const std::string iniNow = run.IniBytes();
  places.emplace_back("INI file", iniNow.substr(iniNow.starts_with(ini) ? ini.size() : 0));
  for (const std::string& message : run.toolkit.Messages()) places.emplace_back("box", message);
  places.emplace_back("stderr", stderrText);
  for (const fs::path& root : {run.dir.Path(), home.dir.Path()}) {
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
      if (entry.is_regular_file() && entry.path() != home.CacheFile() &&
          entry.path() != run.iniPath) {
        places.emplace_back(entry.path().string(), ReadFileBytes(entry.path()));
      }
    }
  }
  for (const auto& [where, text] : places) {
    for (const std::string& secret : secrets) {
      EXPECT_EQ(text.find(secret), std::string::npos) << secret << " shows in " << where;
    }
  }
}

std::string RunCaptured(RealRun& run) {
  ::testing::internal::CaptureStderr();
  run.fiche.FormActivate();
  return ::testing::internal::GetCapturedStderr();
}

const char* kSucceeds = "";
const char* kConnectionOk = "Connexion réussie !";

struct OAuthCase {
  const char* name;
  int mode;
  // ConfigMail keys after the account; {URL}, {SECRET} and {PORT} are
  // replaced. {DOWN} is an endpoint where nothing listens, on port {PORT}.
  const char* keys;
  std::string loginRefusal;
  const char* expected;  // the one box, whole; kSucceeds for none
  const char* requests;  // what the endpoint was asked, one line each
  bool selfSignedEndpoint = false;
};

const OAuthCase kCases[] = {
    {"client_credentials_send", 2,
     "SmtpOAuth=1\nOAuthFournisseur=microsoft\nOAuthUrlJeton={URL}\nOAuthClientId=vellumo-app\n"
     "OAuthClientSecret={SECRET}\n",
     "", kSucceeds,
     "grant=client_credentials scope=https://outlook.office365.com/.default secret=yes "
     "refresh=none\n"},
    {"access_token_given", 3,
     "SmtpOAuth=1\nOAuthJetonAcces=at-obtained-by-the-host\nOAuthClientId=vellumo-app\n"
     "OAuthJetonRenouvellement=rt-consent-of-the-owner-0\nOAuthUrlJeton={URL}\n",
     "", kConnectionOk, ""},
    {"wrong_secret", 1,
     "SmtpOAuth=1\nOAuthUrlJeton={URL}\nOAuthClientId=vellumo-app\n"
     "OAuthClientSecret=faux~secret.client_7\nOAuthPortee=https://outlook.office365.com/.default\n",
     "",
     "Erreur : impossible d'obtenir le jeton d'accès OAuth : le serveur d'authentification "
     "127.0.0.1 a refusé la demande (invalid_client : AADSTS7000215: Invalid client secret "
     "provided. Ensure the secret being sent in the request is the client secret value, not the "
     "client secret ID, for a secret added to app 'vellumo-app'.). Vérifiez OAuthClientId et "
     "OAuthClientSecret.",
     "grant=client_credentials scope=https://outlook.office365.com/.default secret=yes "
     "refresh=none\n"},
    {"endpoint_down", 1,
     "SmtpOAuth=1\nOAuthFournisseur=microsoft\nOAuthUrlJeton={DOWN}\nOAuthClientId=vellumo-app\n"
     "OAuthClientSecret={SECRET}\n",
     "",
     "Erreur : impossible d'obtenir le jeton d'accès OAuth : le serveur d'authentification "
     "127.0.0.1 a refusé la connexion sur le port {PORT} (aucun service n'y répond).",
     ""},
    {"proxy_down", 1,
     "SmtpOAuth=1\nOAuthUrlJeton={URL}\nOAuthClientId=vellumo-app\nOAuthClientSecret={SECRET}\n"
     "OAuthProxy=http://127.0.0.1:{PORT}\n",
     "",
     "Erreur : impossible d'obtenir le jeton d'accès OAuth : le proxy indiqué par OAuthProxy est "
     "injoignable.",
     ""},
    // The check that the account turns off is the SMTP server's only.
    {"endpoint_self_signed", 1,
     "SmtpOAuth=1\nOAuthUrlJeton={URL}\nOAuthClientId=vellumo-app\nOAuthClientSecret={SECRET}\n"
     "SmtpVerifierCertificat=0\n",
     "",
     "Erreur : impossible d'obtenir le jeton d'accès OAuth : le certificat du serveur "
     "d'authentification 127.0.0.1 n'est pas reconnu (certificat auto-signé).",
     "", true},
    {"smtp_refuses_the_token", 1, "SmtpOAuth=1\nOAuthJetonAcces=at-never-issued-by-anyone\n", "",
     "Erreur : le serveur SMTP a refusé le jeton d'accès OAuth. Vérifiez que SmtpCompte est bien "
     "la boîte aux lettres du compte qui a donné "
     "son accord et que l'application a le droit d'envoyer du courrier par SMTP.",
     ""},
    {"password_login_turned_off", 3, "SmtpMotDePasse=mot-de-passe-secret\n",
     "535 5.7.139 Authentication unsuccessful, basic authentication is disabled.",
     "Erreur : le serveur SMTP a refusé l'identification par mot de passe, que le fournisseur de "
     "la messagerie a désactivée (535 5.7.139 Authentication unsuccessful, basic authentication "
     "is disabled.). Passez à l'identification OAuth 2.0 (SmtpOAuth=1 dans la section "
     "ConfigMail).",
     ""},
};

class OAuthRunTest : public ::testing::TestWithParam<OAuthCase> {};

TEST_P(OAuthRunTest, MarksMessageMarkerAndNoSecretShown) {
  const OAuthCase& c = GetParam();
  DataHome home;
  TokenServerOptions endpointOptions = EndpointOptions();
  if (c.selfSignedEndpoint) {
    endpointOptions.CertFile = Certificates().SelfSigned().CertFile;
    endpointOptions.KeyFile = Certificates().SelfSigned().KeyFile;
  }
  TokenTestServer endpoint(endpointOptions);
  std::uint16_t downPort = 0;
  {
    TokenTestServer gone(EndpointOptions());
    downPort = gone.Port();
  }
  {  // a token the host obtained by itself
    std::ofstream(endpoint.IssuedFile(), std::ios::app) << "access " << kHostToken << "\n";
  }
  SmtpServerOptions mailOptions = MailServerOptions(endpoint);
  mailOptions.LoginRefusal = c.loginRefusal;
  SmtpTestServer server(mailOptions);
  RealRun run(TestOptions());
  const std::string document = run.dir.Write("commande.pdf", "%PDF-1.4 commande 42");
  std::string keys = Replaced(c.keys, "{URL}", endpoint.Url());
  keys = Replaced(keys, "{SECRET}", kSecret);
  keys = Replaced(keys, "{DOWN}", "https://127.0.0.1:" + std::to_string(downPort) + "/token");
  keys = Replaced(keys, "{PORT}", std::to_string(downPort));
  const std::string ini = Ini(c.mode, server.Port(), document, keys);
  run.WriteIni(ini);

  const std::string stderrText = RunCaptured(run);

  const std::string expected = Replaced(c.expected, "{PORT}", std::to_string(downPort));
  const bool fails = expected != kSucceeds && expected != kConnectionOk;
  const auto messages = run.toolkit.Messages();
  if (expected == kSucceeds) {
    EXPECT_TRUE(messages.empty()) << messages[0];
  } else {
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], expected);
  }
  EXPECT_TRUE(run.Passed("EtatConnexionCheckConf"));
  EXPECT_EQ(run.Passed("EtatConnexionResultat"), !fails);
  if (fails) {
    EXPECT_TRUE(IniFile(run.iniPath).ReadBool("ExportationMailErreur", "Erreur", false));
    EXPECT_EQ(run.IniBytes().substr(0, ini.size()), ini);
  } else {
    EXPECT_EQ(run.IniBytes(), ini);
  }
  if (c.mode == 2 && !fails) {
    EXPECT_TRUE(run.Passed("VellumoResultat"));
    EXPECT_EQ(server.Messages().size(), 1u);
  }
  std::string requests;
  for (const std::string& line : endpoint.Requests()) requests += line + "\n";
  EXPECT_EQ(requests, c.requests);

  std::vector<std::string> secrets = {kSecret,   kWrongSecret, kFirstRefreshToken,
                                      kPassword, kHostToken,   kUnknownToken};
  for (const std::string& token : endpoint.IssuedTokens()) secrets.push_back(token);
  ExpectNoSecretShown(run, ini, stderrText, home, secrets);
  EXPECT_FALSE(fs::exists(home.CacheFile()));  // nothing to keep on these routes
}

INSTANTIATE_TEST_SUITE_P(OAuth, OAuthRunTest, ::testing::ValuesIn(kCases),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(OAuthRun, TheRefreshTokenSendsAndItsReplacementIsUsedOnTheNextRun) {
  DataHome home;
  TokenTestServer endpoint(EndpointOptions());
  SmtpTestServer server(MailServerOptions(endpoint));
  std::vector<std::string> stderrTexts;
  std::string ini;
  for (int runNumber = 0; runNumber < 2; ++runNumber) {
    RealRun run(TestOptions());
    const std::string document = run.dir.Write("commande.pdf", "%PDF-1.4 commande 42");
    // A public client: no secret.
    ini = Ini(2, server.Port(), document,
              "SmtpOAuth=1\nOAuthFournisseur=microsoft\nOAuthUrlJeton=" + endpoint.Url() +
                  "\nOAuthClientId=vellumo-app\nOAuthJetonRenouvellement=" + kFirstRefreshToken +
                  "\n");
    run.WriteIni(ini);
    const std::string stderrText = RunCaptured(run);
    EXPECT_TRUE(run.toolkit.Messages().empty()) << run.toolkit.Messages()[0];
    EXPECT_EQ(run.IniBytes(), ini);
    std::vector<std::string> secrets = {kFirstRefreshToken};
    for (const std::string& token : endpoint.IssuedTokens()) secrets.push_back(token);
    ExpectNoSecretShown(run, ini, stderrText, home, secrets);
  }

  EXPECT_EQ(server.Messages().size(), 2u);
  // The first token works once; the second run used its replacement.
  const std::string scope = "scope=https://outlook.office.com/SMTP.Send offline_access";
  EXPECT_EQ(endpoint.Requests(),
            (std::vector<std::string>{"grant=refresh_token " + scope + " secret=no refresh=0",
                                      "grant=refresh_token " + scope + " secret=no refresh=1"}));
  struct stat file {};
  struct stat folder {};
  ASSERT_EQ(stat(home.CacheFile().c_str(), &file), 0);
  ASSERT_EQ(stat(home.CacheFile().parent_path().c_str(), &folder), 0);
  EXPECT_EQ(file.st_mode & 0777, 0600u);
  EXPECT_EQ(folder.st_mode & 0777, 0700u);
  // It holds the newest refresh token.
  EXPECT_NE(ReadFileBytes(home.CacheFile()).find(endpoint.IssuedTokens("refresh").back()),
            std::string::npos);
}

// A kept refresh token that the endpoint no longer takes gives way to the
// INI file's, at once.
TEST(OAuthRun, ARevokedCachedRefreshTokenGivesWayToTheIniFiles) {
  DataHome home;
  TokenTestServer endpoint(EndpointOptions());
  SmtpTestServer server(MailServerOptions(endpoint));
  {
    const std::unique_ptr<SecretFile> file = UserOAuthTokenFile();
    ASSERT_TRUE(RefreshTokenCache(*file).Store({endpoint.Url(), "vellumo-app", kMailbox},
                                               kFirstRefreshToken, "rt-revoked-meanwhile"));
  }
  RealRun run(TestOptions());
  const std::string document = run.dir.Write("commande.pdf", "%PDF-1.4 commande 42");
  run.WriteIni(Ini(
      2, server.Port(), document,
      "SmtpOAuth=1\nOAuthUrlJeton=" + endpoint.Url() +
          "\nOAuthClientId=vellumo-app\nOAuthJetonRenouvellement=" + kFirstRefreshToken + "\n"));

  run.fiche.FormActivate();

  EXPECT_TRUE(run.toolkit.Messages().empty()) << run.toolkit.Messages()[0];
  EXPECT_EQ(server.Messages().size(), 1u);
  EXPECT_EQ(endpoint.Requests(),
            (std::vector<std::string>{"grant=refresh_token scope= secret=no refresh=none",
                                      "grant=refresh_token scope= secret=no refresh=0"}));
  const std::unique_ptr<SecretFile> file = UserOAuthTokenFile();
  EXPECT_EQ(
      RefreshTokenCache(*file).Find({endpoint.Url(), "vellumo-app", kMailbox}, kFirstRefreshToken),
      endpoint.IssuedTokens("refresh").back());
}

// A session dropped between the check and the send is opened again; a new
// token is asked for only when the first one has expired.
TEST(OAuthRun, AReconnectionAsksForANewTokenOnlyWhenTheFirstHasExpired) {
  for (const int lifetime : {3600, 1}) {
    DataHome home;
    TokenServerOptions endpointOptions = EndpointOptions();
    endpointOptions.ExpiresIn = lifetime;
    TokenTestServer endpoint(endpointOptions);
    SmtpServerOptions mailOptions = MailServerOptions(endpoint);
    mailOptions.IdleDropSeconds = 0.5;
    SmtpTestServer server(mailOptions);
    RealRun run(TestOptions());
    const std::string document = run.dir.Write("commande.pdf", "%PDF-1.4 commande 42");
    run.WriteIni(Ini(2, server.Port(), document,
                     "SmtpOAuth=1\nOAuthUrlJeton=" + endpoint.Url() +
                         "\nOAuthClientId=vellumo-app\nOAuthClientSecret=" + kSecret + "\n"));

    std::unique_ptr<TSMTPConfig> account = run.fiche.CheckSMTPConnection(true);
    ASSERT_TRUE(account);
    ASSERT_FALSE(run.fiche.ErrorFlag()) << run.fiche.ErrorMessage();
    ASSERT_TRUE(server.WaitUntil([&] { return !account->Connected(); }));
    run.fiche.DeliverMessage(*account);

    EXPECT_FALSE(run.fiche.ErrorFlag()) << run.fiche.ErrorMessage();
    EXPECT_EQ(server.Messages().size(), 1u) << lifetime;
    EXPECT_EQ(server.ConnectionCount(), 2) << lifetime;
    EXPECT_EQ(endpoint.Requests().size(), lifetime == 1 ? 2u : 1u) << lifetime;
  }
}

// The token request waits like the SMTP work: the caller is called back
// and can stop it.
TEST(OAuthRun, ATokenRequestThatGetsNoAnswerCanBeStopped) {
  struct StopAfter : NetworkWaitObserver {
    bool OnWaiting() override { return ++calls == 10; }
    void OnMessageProgress(std::uint64_t, std::uint64_t) override {}
    int calls = 0;
  } observer;
  SmtpServerOptions silentOptions;
  silentOptions.NeverGreet = true;  // accepts and never says a word, not even TLS
  SmtpTestServer silent(silentOptions);
  const SmtpAccount account = AccountFromIni(IniDocument(
      "[ConfigMail]\nSmtpAdresse=127.0.0.1\nSmtpPort=25\nSmtpAuth=1\nSmtpCompte=" +
      std::string(kMailbox) + "\nSmtpOAuth=1\nOAuthUrlJeton=https://127.0.0.1:" +
      std::to_string(silent.Port()) + "/token\nOAuthClientId=app\nOAuthClientSecret=s\n"));
  CurlSmtpClient client(account, TestOptions());
  client.SetWaitObserver(&observer);

  const auto start = std::chrono::steady_clock::now();
  try {
    client.Connect();
    FAIL() << "connected";
  } catch (const SmtpFailure& failure) {
    EXPECT_EQ(failure.Kind(), SmtpFailureKind::Cancelled);
  }
  EXPECT_EQ(observer.calls, 10);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_TRUE(silent.WaitUntil([&] { return silent.ConnectionCount() == 1; }));
}

}  // namespace
}  // namespace vellumo::testing
