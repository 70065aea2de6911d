// The libcurl client on Schannel, under Wine, against the TLS servers that
// scripts/test-windows-tls starts on loopback with certificates for
// localhost; the test CA is in the trust store Wine reads, and only there.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <optional>
#include <ostream>
#include <string>

#include "app/ExceptionText.h"
#include "config/IniDocument.h"
#include "mail/ComposeMessage.h"
#include "smtp/SmtpAccount.h"
#include "smtp/curl/CurlSmtpClient.h"
#include "smtp/curl/WindowsChainTrust.h"

namespace vellumo {
namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr) ADD_FAILURE() << name << " is not set: run scripts/test-windows-tls";
  return value == nullptr ? std::string() : value;
}

std::string Certificate(const std::string& name) {
  std::ifstream file(Environment("VELLUMO_TLS_DIR") + "\\" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// PEM text without its line breaks, which differ between writers.
std::string Flat(std::string pem) {
  std::erase_if(pem, [](char c) { return c == '\r' || c == '\n'; });
  return pem;
}

struct ServerCase {
  const char* name;
  const char* portVariable;
  int tlsMode;  // 1 implicit, 2 STARTTLS
  bool verify;
  bool login;
  const char* errorPart;  // nullptr: the connection succeeds
};

void PrintTo(const ServerCase& c, std::ostream* out) { *out << c.name; }

class WindowsTls : public ::testing::TestWithParam<ServerCase> {};

TEST_P(WindowsTls, ChecksTheServerAsConfigured) {
  const ServerCase& c = GetParam();
  std::string ini = "[ConfigMail]\nSmtpAdresse=localhost\nSmtpPort=" + Environment(c.portVariable) +
                    "\nUseSmtpTLS=1\nSmtpTLSMode=" + std::to_string(c.tlsMode) +
                    "\nSmtpVerifierCertificat=" + (c.verify ? "1" : "0") + "\n";
  if (c.login) ini += "SmtpAuth=1\nSmtpCompte=essai\nSmtpMotDePasse=secret\n";
  CurlSmtpOptions options;
  options.ConnectTimeoutSeconds = 10;
  options.IdleTimeoutSeconds = 10;
  options.LocalName = "client.test";
  CurlSmtpClient client(AccountFromIni(IniDocument(ini)), options);

  std::optional<std::string> error;
  try {
    client.Connect();
  } catch (const std::exception& failure) {
    error = ExceptionText(failure);
  }

  if (c.errorPart == nullptr) {
    EXPECT_FALSE(error) << *error;
  } else {
    ASSERT_TRUE(error);
    EXPECT_NE(error->find(c.errorPart), std::string::npos) << *error;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Servers, WindowsTls,
    ::testing::Values(
        // With a login the server offers: the second look at the server
        // must not send it (the script checks the server's log).
        ServerCase{"SelfSignedRefused", "VELLUMO_TLS_SELF_SIGNED_PORT", 1, true, true,
                   "Erreur : le certificat du serveur localhost n'est pas reconnu (autorité de "
                   "certification inconnue)."},
        ServerCase{"SelfSignedUnchecked", "VELLUMO_TLS_SELF_SIGNED_PORT", 1, false, false, nullptr},
        ServerCase{"TrustedCa", "VELLUMO_TLS_TRUSTED_PORT", 2, true, false, nullptr},
        ServerCase{"OtherHostRefused", "VELLUMO_TLS_OTHER_HOST_PORT", 2, true, false,
                   "a été émis pour un autre nom de serveur."},
        ServerCase{"ExpiredRefused", "VELLUMO_TLS_EXPIRED_PORT", 1, true, false,
                   "a expiré ou n'est pas encore valide."}),
    [](const auto& row) { return std::string(row.param.name); });

// An OAuth account on Windows: the token comes from an HTTPS endpoint the
// test CA vouches for, and the mail goes with it (the script checks what
// both servers received).
TEST(WindowsOAuth, ClientCredentialsToASentMail) {
  const IniDocument ini(
      "[Email]\nFilePath=" + Environment("VELLUMO_TLS_DIR") +
      "\\commande.pdf\nFileName=commande.pdf\nAdresseEnvoi=boite@exemple.fr\n"
      "EnvoyerA=client@exemple.com\nObjet=Commande\n[ConfigMail]\nSmtpAdresse=127.0.0.1\nSmtpPort=" +
      Environment("VELLUMO_OAUTH_SMTP_PORT") +
      "\nSmtpAuth=1\nSmtpCompte=boite@exemple.fr\nSmtpOAuth=1\nOAuthFournisseur=microsoft\n"
      "OAuthUrlJeton=https://localhost:" + Environment("VELLUMO_OAUTH_TOKEN_PORT") +
      "/contoso/oauth2/v2.0/token\nOAuthClientId=vellumo-app\nOAuthClientSecret=essai-secret\n");
  CurlSmtpOptions options;
  options.ConnectTimeoutSeconds = 10;
  options.IdleTimeoutSeconds = 10;
  CurlSmtpClient client(AccountFromIni(ini), options);
  try {
    client.Send(ComposeMessage(ini, std::time(nullptr)));
    client.Disconnect();
  } catch (const std::exception& failure) {
    FAIL() << ExceptionText(failure);
  }
}

struct ChainCase {
  const char* name;
  const char* serverCertificate;
  const char* host;
  bool trusted;  // then anchored at the test CA
};

void PrintTo(const ChainCase& c, std::ostream* out) { *out << c.name; }

class WindowsChain : public ::testing::TestWithParam<ChainCase> {};

TEST_P(WindowsChain, TrustsWhatWindowsTrusts) {
  const ChainCase& c = GetParam();
  const std::optional<std::string> root =
      WindowsTrustedRoot({Certificate(c.serverCertificate)}, c.host);
  ASSERT_EQ(root.has_value(), c.trusted);
  if (c.trusted) {
    EXPECT_EQ(Flat(*root), Flat(Certificate("ca.pem")));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Chains, WindowsChain,
    ::testing::Values(ChainCase{"SignedByTrustedCa", "trusted.pem", "localhost", true},
                      ChainCase{"ForAnotherName", "trusted.pem", "other.example.org", false},
                      ChainCase{"SelfSigned", "self.pem", "localhost", false}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace vellumo
