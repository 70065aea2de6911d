// The libcurl client against a real SMTP server on loopback: TLS modes,
// login, certificates, time-outs, dropped connections, sending.
#include "smtp/curl/CurlSmtpClient.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fakes/SentMailReader.h"
#include "e2e/SmtpTestServer.h"
#include "e2e/TestCertificates.h"
#include "fakes/TempDirectory.h"
#include "app/ExceptionText.h"
#include "config/IniDocument.h"
#include "mail/ComposeMessage.h"
#include "smtp/SmtpAccount.h"

namespace vellumo {
namespace {

using testing::CertificatePair;
using testing::ServerTls;
using testing::SmtpServerOptions;
using testing::SmtpTestServer;
using testing::TestCertificates;

constexpr int kNoTlsHandler = -1;

// Test names from the table rows.
template <typename Info>
std::string CaseName(const Info& row) {
  return row.param.name;
}

enum class Cert { Trusted, SelfSigned, OtherHost, Expired };

class CurlSmtpClientTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { certs_ = new TestCertificates(); }
  static void TearDownTestSuite() {
    delete certs_;
    certs_ = nullptr;
  }

  static const CertificatePair& Pair(Cert cert) {
    switch (cert) {
      case Cert::SelfSigned: return certs_->SelfSigned();
      case Cert::OtherHost: return certs_->OtherHost();
      case Cert::Expired: return certs_->Expired();
      case Cert::Trusted: break;
    }
    return certs_->Trusted();
  }

  static SmtpServerOptions ServerWith(ServerTls tls, Cert cert = Cert::Trusted) {
    SmtpServerOptions options;
    options.Tls = tls;
    options.CertFile = Pair(cert).CertFile;
    options.KeyFile = Pair(cert).KeyFile;
    return options;
  }

  static CurlSmtpOptions ShortOptions(bool trustTestCa = true) {
    CurlSmtpOptions options;
    if (trustTestCa) options.CaFile = certs_->CaFile();
    options.ConnectTimeoutSeconds = 5;
    options.IdleTimeoutSeconds = 5;
    options.LocalName = "client.test";
    return options;
  }

  // The account as the host's file gives it; a login when `user` is not
  // empty, TLS unless kNoTlsHandler.
  static SmtpAccount AccountFor(std::uint16_t port, int tlsMode, const std::string& user = "",
                                const std::string& password = "", bool verify = true,
                                const std::string& host = "127.0.0.1") {
    std::string ini = "[ConfigMail]\nSmtpAdresse=" + host + "\nSmtpPort=" + std::to_string(port) + "\n";
    if (!user.empty()) ini += "SmtpAuth=1\nSmtpCompte=" + user + "\nSmtpMotDePasse=" + password + "\n";
    if (tlsMode != kNoTlsHandler) {
      ini += "UseSmtpTLS=1\nSmtpTLSMode=" + std::to_string(tlsMode) +
             "\nSmtpVerifierCertificat=" + (verify ? "1" : "0") + "\n";
    }
    return AccountFromIni(IniDocument(ini));
  }

  static std::unique_ptr<CurlSmtpClient> ClientFor(std::uint16_t port, int tlsMode,
                                                   CurlSmtpOptions options = ShortOptions(),
                                                   const std::string& user = "",
                                                   const std::string& password = "",
                                                   bool verify = true,
                                                   const std::string& host = "127.0.0.1") {
    return std::make_unique<CurlSmtpClient>(
        AccountFor(port, tlsMode, user, password, verify, host), std::move(options));
  }

  // The text the user would read for `action`'s failure, or nothing when it
  // succeeded.
  template <typename Action>
  static std::optional<std::string> ErrorOf(Action action) {
    try {
      action();
    } catch (const std::exception& error) {
      return ExceptionText(error);
    }
    return std::nullopt;
  }

  static bool Sent(const SmtpTestServer& server, const std::string& verb) {
    const auto commands = server.Commands();
    return std::any_of(commands.begin(), commands.end(), [&](const std::string& line) {
      return line.substr(line.find(' ') + 1) == verb;
    });
  }

  // The message of a host's file with these Email and EmailCorps keys, sent
  // without a document when the file names none.
  static OutgoingMessage Compose(const std::string& email, const std::string& body) {
    OutgoingMessage message = ComposeMessage(
        IniDocument("[Email]\n" + email + "\n[EmailCorps]\n" + body + "\n"), std::time(nullptr));
    if (!message.Attachment()->Path.empty()) return message;
    return OutgoingMessage(message.Envelope(), message.Headers(), message.Body(), std::nullopt);
  }

  static OutgoingMessage SmallMessage(const std::string& to = "to@exemple.fr",
                                      const std::string& attachmentPath = "",
                                      const std::string& from = "Expéditeur <from@exemple.fr>") {
    return Compose("AdresseEnvoi=" + from + "\nEnvoyerA=" + to + "\nObjet=Essai\nFilePath=" +
                       attachmentPath,
                   "L1=Bonjour.");
  }

  static TestCertificates* certs_;
};

TestCertificates* CurlSmtpClientTest::certs_ = nullptr;

// ---------------------------------------------------------------- connect

struct ConnectCase {
  const char* name;
  ServerTls serverTls;
  int clientMode;           // kNoTlsHandler or the UseTLS value
  bool expectStartTls;      // STARTTLS reached the server
  const char* errorPart;    // nullptr: Connect succeeds
};

class ConnectModes : public CurlSmtpClientTest,
                     public ::testing::WithParamInterface<ConnectCase> {};

TEST_P(ConnectModes, ConnectsOrFailsAsTheModeSays) {
  const ConnectCase& c = GetParam();
  SmtpTestServer server(ServerWith(c.serverTls));
  auto client = ClientFor(server.Port(), c.clientMode);

  const auto error = ErrorOf([&] { client->Connect(); });

  if (c.errorPart == nullptr) {
    ASSERT_FALSE(error) << *error;
    EXPECT_TRUE(client->Connected());
    EXPECT_TRUE(Sent(server, "NOOP"));
  } else {
    ASSERT_TRUE(error);
    EXPECT_NE(error->find(c.errorPart), std::string::npos) << *error;
    EXPECT_FALSE(client->Connected());
  }
  EXPECT_EQ(Sent(server, "STARTTLS"), c.expectStartTls);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, ConnectModes,
    ::testing::Values(
        ConnectCase{"NoHandlerPlain", ServerTls::None, kNoTlsHandler, false, nullptr},
        // A handler without a mode, or a mode without a handler: clear text.
        ConnectCase{"HandlerModeZeroIgnoresOffer", ServerTls::StartTls, 0, false, nullptr},
        ConnectCase{"RequiredOffered", ServerTls::StartTls, 2, true, nullptr},
        ConnectCase{"RequiredNotOffered", ServerTls::None, 2, false,
                    "Erreur : le serveur SMTP 127.0.0.1 ne propose pas le chiffrement STARTTLS"},
        ConnectCase{"OpportunisticOffered", ServerTls::StartTls, 3, true, nullptr},
        ConnectCase{"OpportunisticNotOffered", ServerTls::None, 3, false, nullptr},
        ConnectCase{"Implicit", ServerTls::Implicit, 1, false, nullptr},
        ConnectCase{"ImplicitAgainstClearServer", ServerTls::None, 1, false,
                    "Erreur : la négociation du chiffrement TLS avec le serveur SMTP 127.0.0.1 "
                    "a échoué"},
        ConnectCase{"ClearAgainstImplicitServer", ServerTls::Implicit, kNoTlsHandler, false,
                    "Erreur : le serveur SMTP 127.0.0.1 ne répond plus"},
        ConnectCase{"UnknownMode", ServerTls::None, 7, false, "Erreur : le mode TLS 7"}),
    CaseName<::testing::TestParamInfo<ConnectCase>>);

// ------------------------------------------------------------------ login

struct LoginCase {
  const char* name;
  ServerTls serverTls;
  int clientMode;
  const char* user;
  const char* password;
  const char* errorPart;  // nullptr: accepted
};

class Login : public CurlSmtpClientTest, public ::testing::WithParamInterface<LoginCase> {};

TEST_P(Login, LogsInInsideConnect) {
  const LoginCase& c = GetParam();
  SmtpServerOptions options = ServerWith(c.serverTls);
  options.AuthUser = "jérôme@exemple.fr";
  options.AuthPassword = "mötdepässe €";
  SmtpTestServer server(options);
  auto client = ClientFor(server.Port(), c.clientMode, ShortOptions(), c.user, c.password);

  const auto error = ErrorOf([&] { client->Connect(); });

  EXPECT_TRUE(Sent(server, "AUTH"));
  if (c.errorPart == nullptr) {
    EXPECT_FALSE(error) << *error;
    EXPECT_TRUE(client->Connected());
  } else {
    ASSERT_TRUE(error);
    EXPECT_NE(error->find(c.errorPart), std::string::npos) << *error;
    EXPECT_EQ(error->find(c.password), std::string::npos) << "password in: " << *error;
    EXPECT_FALSE(Sent(server, "NOOP"));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Login,
    ::testing::Values(
        LoginCase{"AcceptedClear", ServerTls::None, kNoTlsHandler, "jérôme@exemple.fr",
                  "mötdepässe €", nullptr},
        LoginCase{"AcceptedAfterStartTls", ServerTls::StartTls, 2, "jérôme@exemple.fr",
                  "mötdepässe €", nullptr},
        LoginCase{"AcceptedImplicit", ServerTls::Implicit, 1, "jérôme@exemple.fr",
                  "mötdepässe €", nullptr},
        LoginCase{"WrongPassword", ServerTls::None, kNoTlsHandler, "jérôme@exemple.fr",
                  "secret-faux",
                  "Erreur : le serveur SMTP a refusé l'identification : nom d'utilisateur ou mot "
                  "de passe incorrect (535 5.7.8 Authentication credentials invalid)."},
        LoginCase{"WrongUserOverTls", ServerTls::StartTls, 2, "jerome@exemple.fr",
                  "mötdepässe €", "(535 5.7.8 Authentication credentials invalid)."}),
    CaseName<::testing::TestParamInfo<LoginCase>>);

// ----------------------------------------------------------- certificates

struct CertificateCase {
  const char* name;
  ServerTls serverTls;
  Cert cert;
  bool trustTestCa;
  const char* errorText;  // with verification on; nullptr: accepted
};

class Certificates : public CurlSmtpClientTest,
                     public ::testing::WithParamInterface<CertificateCase> {};

TEST_P(Certificates, VerifiedUnlessTurnedOff) {
  const CertificateCase& c = GetParam();
  SmtpTestServer server(ServerWith(c.serverTls, c.cert));
  const int mode = c.serverTls == ServerTls::Implicit ? 1 : 2;

  auto verifying = ClientFor(server.Port(), mode, ShortOptions(c.trustTestCa));
  const auto error = ErrorOf([&] { verifying->Connect(); });
  if (c.errorText == nullptr) {
    EXPECT_FALSE(error) << *error;
  } else {
    ASSERT_TRUE(error);
    EXPECT_EQ(*error, c.errorText);
    EXPECT_FALSE(Sent(server, "NOOP"));
  }

  auto trusting = ClientFor(server.Port(), mode, ShortOptions(c.trustTestCa), "", "", false);
  const auto unverifiedError = ErrorOf([&] { trusting->Connect(); });
  EXPECT_FALSE(unverifiedError) << *unverifiedError;
  EXPECT_TRUE(trusting->Connected());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Certificates,
    ::testing::Values(
        CertificateCase{"TestCaImplicit", ServerTls::Implicit, Cert::Trusted, true, nullptr},
        CertificateCase{"TestCaStartTls", ServerTls::StartTls, Cert::Trusted, true, nullptr},
        CertificateCase{"SelfSignedImplicit", ServerTls::Implicit, Cert::SelfSigned, true,
                        "Erreur : le certificat du serveur 127.0.0.1 n'est pas reconnu "
                        "(certificat auto-signé)."},
        CertificateCase{"SelfSignedStartTls", ServerTls::StartTls, Cert::SelfSigned, true,
                        "Erreur : le certificat du serveur 127.0.0.1 n'est pas reconnu "
                        "(certificat auto-signé)."},
        CertificateCase{"UnknownCa", ServerTls::StartTls, Cert::Trusted, false,
                        "Erreur : le certificat du serveur 127.0.0.1 n'est pas reconnu "
                        "(autorité de certification inconnue)."},
        CertificateCase{"OtherHostName", ServerTls::Implicit, Cert::OtherHost, true,
                        "Erreur : le certificat du serveur 127.0.0.1 a été émis pour un autre "
                        "nom de serveur."},
        CertificateCase{"Expired", ServerTls::StartTls, Cert::Expired, true,
                        "Erreur : le certificat du serveur 127.0.0.1 a expiré."}),
    CaseName<::testing::TestParamInfo<CertificateCase>>);

// ------------------------------------------------------ connection faults

TEST_F(CurlSmtpClientTest, ClosedPortIsAConnectionRefused) {
  const int probe = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length), 0);
  const auto port = ntohs(address.sin_port);
  close(probe);  // bound, never listened: the port is closed

  auto client = ClientFor(port, kNoTlsHandler);
  const auto error = ErrorOf([&] { client->Connect(); });
  ASSERT_TRUE(error);
  EXPECT_EQ(*error, "Erreur : le serveur SMTP 127.0.0.1 a refusé la connexion sur le port " +
                        std::to_string(port) + " (aucun service n'y répond).");
  EXPECT_FALSE(client->Connected());
}

TEST_F(CurlSmtpClientTest, UnknownHostIsNamed) {
  auto client =
      ClientFor(25, kNoTlsHandler, ShortOptions(), "", "", true, "smtp.vellumo-test.invalid");
  const auto error = ErrorOf([&] { client->Connect(); });
  ASSERT_TRUE(error);
  EXPECT_EQ(*error,
            "Erreur : le serveur SMTP smtp.vellumo-test.invalid est introuvable (nom d'hôte "
            "inconnu).");
}

TEST_F(CurlSmtpClientTest, SilentServerTimesOutWithinTheIdleTime) {
  SmtpServerOptions options;
  options.NeverGreet = true;
  SmtpTestServer server(options);
  CurlSmtpOptions clientOptions = ShortOptions();
  clientOptions.IdleTimeoutSeconds = 2;
  auto client = ClientFor(server.Port(), kNoTlsHandler, clientOptions);

  const auto start = std::chrono::steady_clock::now();
  const auto error = ErrorOf([&] { client->Connect(); });
  const auto elapsed = std::chrono::steady_clock::now() - start;

  ASSERT_TRUE(error);
  EXPECT_EQ(*error,
            "Erreur : le serveur SMTP 127.0.0.1 ne répond plus (aucune réponse en 2 s, en "
            "attente de son message d'accueil).");
  EXPECT_GE(elapsed, std::chrono::milliseconds(1900));
  EXPECT_LT(elapsed, std::chrono::seconds(8));
  EXPECT_EQ(server.ConnectionCount(), 1);
}

class IdleDrop : public CurlSmtpClientTest, public ::testing::WithParamInterface<int> {};

TEST_P(IdleDrop, DroppedConnectionIsSeenAndConnectReconnects) {
  const int mode = GetParam();
  SmtpServerOptions options = ServerWith(mode == kNoTlsHandler ? ServerTls::None
                                                               : ServerTls::StartTls);
  options.IdleDropSeconds = 1;
  SmtpTestServer server(options);
  auto client = ClientFor(server.Port(), mode);

  client->Connect();
  EXPECT_TRUE(client->Connected());
  EXPECT_TRUE(server.WaitUntil([&] { return !client->Connected(); }))
      << "still connected after the server's idle drop";

  client->Connect();
  EXPECT_TRUE(client->Connected());
  EXPECT_EQ(server.ConnectionCount(), 2);

  // And a message still goes out after another drop.
  EXPECT_TRUE(server.WaitUntil([&] { return !client->Connected(); }));
  client->Send(SmallMessage());
  EXPECT_EQ(server.Messages().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(ClearAndTls, IdleDrop, ::testing::Values(kNoTlsHandler, 2));

// ------------------------------------------------------ session lifecycle

TEST_F(CurlSmtpClientTest, ConnectSendDisconnectUseOneConnection) {
  SmtpServerOptions options = ServerWith(ServerTls::StartTls);
  options.AuthUser = "u";
  options.AuthPassword = "p";
  SmtpTestServer server(options);
  auto client = ClientFor(server.Port(), 2, ShortOptions(), "u", "p");

  client->Connect();
  client->Send(SmallMessage());
  client->Disconnect();
  EXPECT_FALSE(client->Connected());

  ASSERT_TRUE(server.WaitUntil([&] { return Sent(server, "QUIT"); }));
  EXPECT_EQ(server.ConnectionCount(), 1);
  const std::vector<std::string> expected = {"1 EHLO", "1 STARTTLS", "1 EHLO", "1 AUTH",
                                             "1 NOOP", "1 MAIL",     "1 RCPT", "1 DATA",
                                             "1 QUIT"};
  EXPECT_EQ(server.Commands(), expected);
}

TEST_F(CurlSmtpClientTest, DisconnectIsQuietWhenNotConnected) {
  auto never = ClientFor(1, kNoTlsHandler);
  EXPECT_FALSE(never->Connected());
  EXPECT_NO_THROW(never->Disconnect());

  SmtpTestServer server;
  auto client = ClientFor(server.Port(), kNoTlsHandler);
  client->Connect();
  client->Disconnect();
  EXPECT_NO_THROW(client->Disconnect());
  EXPECT_FALSE(client->Connected());
}

TEST_F(CurlSmtpClientTest, FactoryClientsWorkAndStayOwned) {
  SmtpTestServer server;
  CurlSmtpClientFactory factory(ShortOptions());
  SmtpClient* first = factory.CreateClient(AccountFor(server.Port(), kNoTlsHandler));
  SmtpClient* second = factory.CreateClient(AccountFor(server.Port(), kNoTlsHandler));
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(first, second);
  first->Connect();
  EXPECT_TRUE(first->Connected());
  EXPECT_FALSE(second->Connected());
}

// ---------------------------------------------------------------- sending

struct RefusalCase {
  const char* name;
  SmtpServerOptions server;
  std::string recipients;
  std::string attachmentBytes;  // empty: no attachment
  std::string errorText;
};

class SendRefusals : public CurlSmtpClientTest,
                     public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(SendRefusals, NothingIsDeliveredAndTheReasonIsGiven) {
  const RefusalCase& c = GetParam();
  SmtpTestServer server(c.server);
  testing::TempDirectory files;
  const OutgoingMessage message = SmallMessage(
      c.recipients, c.attachmentBytes.empty() ? "" : files.Write("doc.pdf", c.attachmentBytes));
  auto client = ClientFor(server.Port(), kNoTlsHandler);
  client->Connect();

  const auto error = ErrorOf([&] { client->Send(message); });

  ASSERT_TRUE(error);
  EXPECT_EQ(*error, c.errorText);
  EXPECT_TRUE(server.Messages().empty());
}

SmtpServerOptions RefusingRecipients() {
  SmtpServerOptions options;
  options.RefuseRecipientPattern = "^inconnu@";
  return options;
}

SmtpServerOptions Limited(long long bytes) {
  SmtpServerOptions options;
  options.MaxMessageBytes = bytes;
  return options;
}

SmtpServerOptions LoginRequired() {
  SmtpServerOptions options;
  options.AuthUser = "u";
  options.AuthPassword = "p";
  options.AuthRequired = true;
  return options;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SendRefusals,
    ::testing::Values(
        RefusalCase{"OnlyRecipientRefused", RefusingRecipients(), "inconnu@exemple.fr", "",
                    "Erreur : le serveur SMTP a refusé le destinataire <inconnu@exemple.fr> "
                    "(550 5.1.1 User unknown)."},
        // One refused recipient among good ones still fails the send.
        RefusalCase{"SecondRecipientRefused", RefusingRecipients(),
                    "a@exemple.fr, inconnu@exemple.fr; b@exemple.fr", "",
                    "Erreur : le serveur SMTP a refusé le destinataire <inconnu@exemple.fr> "
                    "(550 5.1.1 User unknown)."},
        RefusalCase{"TooBig", Limited(2000), "a@exemple.fr", std::string(6000, 'x'),
                    "Erreur : le message est trop volumineux pour le serveur SMTP (552 Error: Too "
                    "much mail data)."},
        RefusalCase{"LoginMissing", LoginRequired(), "a@exemple.fr", "",
                    "Erreur : le serveur SMTP exige une identification avant l'envoi (530 5.7.0 "
                    "Authentication required)."}),
    CaseName<::testing::TestParamInfo<RefusalCase>>);

TEST_F(CurlSmtpClientTest, MissingOrUnreadableAttachmentStopsBeforeMail) {
  SmtpTestServer server;
  testing::TempDirectory files;
  const std::string locked = files.Write("verrouillé.pdf", "x");
  std::filesystem::permissions(locked, std::filesystem::perms::none);
  const bool canStillRead = access(locked.c_str(), R_OK) == 0;  // e.g. as root
  auto client = ClientFor(server.Port(), kNoTlsHandler);
  client->Connect();

  struct Row {
    std::string path;
    std::string errorText;
  };
  std::vector<Row> rows = {
      {(files.Path() / "absent.pdf").string(),
       "Erreur : la pièce jointe « " + (files.Path() / "absent.pdf").string() +
           " » est introuvable."},
      {files.Path().string(),
       "Erreur : la pièce jointe « " + files.Path().string() + " » ne peut pas être lue."}};
  if (!canStillRead) {
    rows.push_back({locked, "Erreur : la pièce jointe « " + locked + " » ne peut pas être lue."});
  }
  for (const Row& row : rows) {
    const OutgoingMessage message = SmallMessage("to@exemple.fr", row.path);
    const auto error = ErrorOf([&] { client->Send(message); });
    ASSERT_TRUE(error) << row.path;
    EXPECT_EQ(*error, row.errorText);
  }
  EXPECT_FALSE(Sent(server, "MAIL"));
  EXPECT_TRUE(client->Connected());
}

TEST_F(CurlSmtpClientTest, SentMessageReadsBackIntactWithPythonsEmailPackage) {
  SmtpTestServer server(ServerWith(ServerTls::Implicit));
  testing::TempDirectory files;
  std::string document;
  // Several of the pieces the document is read in, and a short last line.
  for (int i = 0; i < 150001; ++i) document.push_back(static_cast<char>((i * 7 + i / 256) % 256));
  const OutgoingMessage message = Compose(
      "AdresseEnvoi=Agence Étoile <agence@exemple.fr>\nEnvoyerA=client@exemple.fr\n"
      "Cc=copie@exemple.fr\nCci=cache@exemple.fr\nObjet=Relevé de décembre — n° 42\n"
      "FilePath=" + files.Write("document.bin", document) + "\nFileName=Relevé été.pdf",
      "L1=Bonjour,\nL2=.ligne qui commence par un point\nL3=\nL4=Cordialement, Zoë");
  auto client = ClientFor(server.Port(), 1);

  client->Connect();
  client->Send(message);

  const auto messages = server.Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].MailFrom, "agence@exemple.fr");
  const std::vector<std::string> recipients = {"client@exemple.fr", "copie@exemple.fr",
                                               "cache@exemple.fr"};
  EXPECT_EQ(messages[0].Recipients, recipients);
  const auto read = testing::ReadSentMail(messages[0].Path);
  EXPECT_EQ(read.at("subject"), "Relevé de décembre — n° 42");
  EXPECT_EQ(read.at("from"), "Agence Étoile <agence@exemple.fr>");
  EXPECT_EQ(read.at("to"), "client@exemple.fr");
  EXPECT_EQ(read.at("cc"), "copie@exemple.fr");
  EXPECT_EQ(read.at("bcc"), "");
  EXPECT_NE(read.at("date"), "");
  EXPECT_NE(read.at("message-id"), "");
  EXPECT_EQ(read.at("body"),
            "Bonjour,\n.ligne qui commence par un point\n\nCordialement, Zoë");
  EXPECT_EQ(read.at("attachment-count"), "1");
  EXPECT_EQ(read.at("attachment-name"), "Relevé été.pdf");
  EXPECT_EQ(read.at("attachment-type"), "application/pdf");
  EXPECT_EQ(read.at("attachment-hex"), testing::HexOf(document));
}

// Under the C locale of this test, libcurl would send the domains raw.
TEST_F(CurlSmtpClientTest, Utf8LocalPartGoesWithSmtpUtf8AndDomainsInAsciiForm) {
  SmtpServerOptions options;
  options.OfferSmtpUtf8 = true;
  SmtpTestServer server(options);
  const OutgoingMessage message =
      SmallMessage("Librairie <contact@bücher.de>", "", "Jérôme <jérôme@exemple.fr>");
  auto client = ClientFor(server.Port(), kNoTlsHandler);
  // No Connect: Send opens the session and hears its EHLO before MAIL.
  client->Send(message);

  const auto messages = server.Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].MailFrom, "jérôme@exemple.fr");
  EXPECT_EQ(messages[0].MailParameters, "SMTPUTF8");
  EXPECT_EQ(messages[0].Recipients, std::vector<std::string>{"contact@xn--bcher-kva.de"});
  const auto read = testing::ReadSentMail(messages[0].Path);
  EXPECT_EQ(read.at("from"), "Jérôme <jérôme@exemple.fr>");
  EXPECT_EQ(read.at("to"), "Librairie <contact@xn--bcher-kva.de>");
}

TEST_F(CurlSmtpClientTest, Utf8LocalPartStopsBeforeMailWhenSmtpUtf8IsNotOffered) {
  SmtpTestServer server;
  const OutgoingMessage message = SmallMessage("a@exemple.fr, jérôme@exemple.fr");
  auto client = ClientFor(server.Port(), kNoTlsHandler);
  client->Connect();

  const auto error = ErrorOf([&] { client->Send(message); });

  ASSERT_TRUE(error);
  EXPECT_EQ(*error,
            "Erreur : l'adresse e-mail <jérôme@exemple.fr> contient des caractères accentués ou "
            "non latins avant le « @ », que le serveur SMTP n'accepte pas (il ne propose pas "
            "l'extension SMTPUTF8).");
  EXPECT_FALSE(Sent(server, "MAIL"));
}

TEST_F(CurlSmtpClientTest, MessageWithoutAttachmentHasOnlyItsText) {
  SmtpTestServer server;
  auto client = ClientFor(server.Port(), kNoTlsHandler);
  client->Connect();
  client->Send(SmallMessage());
  const auto messages = server.Messages();
  ASSERT_EQ(messages.size(), 1u);
  const auto read = testing::ReadSentMail(messages[0].Path);
  EXPECT_EQ(read.at("attachment-count"), "0");
  EXPECT_EQ(read.at("body"), "Bonjour.");
}

}  // namespace
}  // namespace vellumo
