// Whole runs against a real SMTP server on loopback: the account tests of
// run modes 1 and 3 over each way of securing the session, and run mode 2
// checked on the server's side with Python's email package.
#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <thread>

#include "config/IniFile.h"
#include "fakes/SentMailReader.h"
#include "e2e/RealRun.h"
#include "e2e/SmtpTestServer.h"
#include "e2e/TestCertificates.h"
#include "smtp/TSMTPConfig.h"

namespace vellumo::testing {
namespace {

const TestCertificates& Certificates() {
  static const TestCertificates certificates;
  return certificates;
}

CurlSmtpOptions TestOptions() {
  CurlSmtpOptions options;
  options.CaFile = Certificates().CaFile();
  options.ConnectTimeoutSeconds = 5;
  options.IdleTimeoutSeconds = 5;
  return options;
}

std::string Account(std::uint16_t port, const std::string& extra) {
  return "[ConfigMail]\nSmtpAdresse=127.0.0.1\nSmtpPort=" + std::to_string(port) + "\n" + extra;
}

const char* kSuccessText = "Connexion réussie !";

enum class Cert { None, Trusted, SelfSigned };

struct AccountCase {
  const char* name;
  ServerTls tls;
  Cert cert;
  bool requireStartTls;
  bool login;
  const char* config;  // ConfigMail keys besides host and port
  int mode;
  const char* expected;  // the one message shown; "" for none
};

const AccountCase kAccounts[] = {
    {"plain_mode_3", ServerTls::None, Cert::None, false, false, "", 3, kSuccessText},
    {"plain_mode_1_silent", ServerTls::None, Cert::None, false, false, "", 1, ""},
    {"implicit_tls", ServerTls::Implicit, Cert::Trusted, false, true,
     "SmtpAuth=1\nSmtpCompte=ventes\nSmtpMotDePasse=s€cret\nUseSmtpTLS=1\nSmtpTLSMode=1\n", 3,
     kSuccessText},
    {"starttls_required", ServerTls::StartTls, Cert::Trusted, true, true,
     "SmtpAuth=1\nSmtpCompte=ventes\nSmtpMotDePasse=s€cret\nUseSmtpTLS=1\nSmtpTLSMode=2\n", 3,
     kSuccessText},
    {"starttls_required_not_offered", ServerTls::None, Cert::None, false, false,
     "UseSmtpTLS=1\nSmtpTLSMode=2\n", 3,
     "Erreur : le serveur SMTP 127.0.0.1 ne propose pas le chiffrement STARTTLS, exigé par la "
     "configuration."},
    {"starttls_when_offered_in_clear", ServerTls::None, Cert::None, false, false,
     "UseSmtpTLS=1\nSmtpTLSMode=3\n", 3, kSuccessText},
    {"starttls_when_offered_secured", ServerTls::StartTls, Cert::Trusted, true, false,
     "UseSmtpTLS=1\nSmtpTLSMode=3\n", 3, kSuccessText},
    {"wrong_password", ServerTls::StartTls, Cert::Trusted, true, true,
     "SmtpAuth=1\nSmtpCompte=ventes\nSmtpMotDePasse=faux\nUseSmtpTLS=1\nSmtpTLSMode=2\n", 1,
     "Erreur : le serveur SMTP a refusé l'identification : nom d'utilisateur ou mot de passe "
     "incorrect"},
    {"self_signed_refused", ServerTls::Implicit, Cert::SelfSigned, false, false,
     "UseSmtpTLS=1\nSmtpTLSMode=1\n", 3,
     "Erreur : le certificat du serveur 127.0.0.1 n'est pas reconnu (certificat auto-signé)."},
    {"self_signed_accepted_when_told", ServerTls::Implicit, Cert::SelfSigned, false, false,
     "UseSmtpTLS=1\nSmtpTLSMode=1\nSmtpVerifierCertificat=0\n", 3, kSuccessText},
};

class AccountRunTest : public ::testing::TestWithParam<AccountCase> {};

TEST_P(AccountRunTest, MarksMessageAndMarker) {
  const AccountCase& c = GetParam();
  SmtpServerOptions options;
  options.Tls = c.tls;
  if (c.cert != Cert::None) {
    const auto& pair =
        c.cert == Cert::Trusted ? Certificates().Trusted() : Certificates().SelfSigned();
    options.CertFile = pair.CertFile;
    options.KeyFile = pair.KeyFile;
  }
  options.RequireStartTls = c.requireStartTls;
  if (c.login) {
    options.AuthUser = "ventes";
    options.AuthPassword = "s€cret";
  }
  SmtpTestServer server(options);
  RealRun run(TestOptions());
  const std::string ini = "[Email]\nEnvoiMode=" + std::to_string(c.mode) + "\n" +
                          Account(server.Port(), c.config);
  run.WriteIni(ini);

  run.fiche.FormActivate();

  const std::string expected = c.expected;
  const bool failed = expected != "" && expected != kSuccessText;
  const auto messages = run.toolkit.Messages();
  ASSERT_EQ(messages.size(), expected.empty() ? 0u : 1u);
  if (!expected.empty()) {
    EXPECT_EQ(messages[0].substr(0, expected.size()), expected);
  }
  EXPECT_EQ(run.Passed("EtatConnexionResultat"), !failed);
  EXPECT_TRUE(run.Passed("EtatConnexionCheckConf"));
  if (failed) {
    EXPECT_TRUE(IniFile(run.iniPath).ReadBool("ExportationMailErreur", "Erreur", false));
    EXPECT_EQ(run.IniBytes().substr(0, ini.size()), ini);
  } else {
    EXPECT_EQ(run.IniBytes(), ini);
  }
  EXPECT_TRUE(run.toolkit.closed);
  // Nothing stays open: the connection test said QUIT when there was a session.
  if (!failed) {
    EXPECT_TRUE(server.WaitUntil([&] {
      const auto commands = server.Commands();
      return !commands.empty() && commands.back().ends_with("QUIT");
    }));
  }
}

INSTANTIATE_TEST_SUITE_P(Accounts, AccountRunTest, ::testing::ValuesIn(kAccounts),
                         [](const auto& row) { return std::string(row.param.name); });

// A send run against a STARTTLS server that wants a login.
struct SendFixture {
  SendFixture() : server(Options()), run(TestOptions()) {}

  static SmtpServerOptions Options() {
    SmtpServerOptions options;
    options.Tls = ServerTls::StartTls;
    options.CertFile = Certificates().Trusted().CertFile;
    options.KeyFile = Certificates().Trusted().KeyFile;
    options.RequireStartTls = true;
    options.AuthUser = "ventes@exemple.fr";
    options.AuthPassword = "mot de passe";
    options.AuthRequired = true;
    options.RefuseRecipientPattern = "inconnu@.*";
    return options;
  }

  std::string Ini(const std::string& email, const std::string& body = "") const {
    return "[Email]\nEnvoiMode=2\n" + email + "\n[EmailCorps]\n" + body + "\n" +
           Account(server.Port(),
                   "SmtpAuth=1\nSmtpCompte=ventes@exemple.fr\nSmtpMotDePasse=mot de passe\n"
                   "UseSmtpTLS=1\nSmtpTLSMode=2\n");
  }

  std::string Document(const std::string& name, std::size_t size) {
    std::string bytes(size, '\0');
    std::mt19937 random(42);
    for (auto& byte : bytes) byte = static_cast<char>(random());
    return run.dir.Write(name, bytes);
  }

  SmtpTestServer server;
  RealRun run;
};

TEST(SendRun, EverythingArrivesIntactThroughStartTlsWithLogin) {
  SendFixture f;
  const std::string document = f.Document("CDE-0042.pdf", 20 * 1024 * 1024);
  f.run.WriteIni(f.Ini(
      "FilePath=" + document +
          "\nFileName=Commande n°42 été.pdf\nAdresseEnvoi=Service Ventes Été <ventes@exemple.fr>\n"
          "EnvoyerA=Client Éloïse <client@exemple.com>, autre@exemple.com\n"
          "Cc=compta@exemple.fr; Direction Générale <direction@exemple.fr>\n"
          "Cci=archives@exemple.fr\nObjet=Votre commande n°42 : 1 250,00 € réglés\n"
          "Priorite=2\nAvecAR=0",
      "L1=Bonjour Éloïse,\nL2=\nL3=.ligne qui commence par un point\nL4=Total = 1 250,00 €\n"
      "L5=" + std::string(1500, 'x')));

  f.run.fiche.FormActivate();

  EXPECT_TRUE(f.run.toolkit.Messages().empty()) << f.run.toolkit.Messages()[0];
  for (const auto& step : FakeToolkit::AllStepNames()) EXPECT_TRUE(f.run.Passed(step)) << step;
  ASSERT_EQ(f.server.Messages().size(), 1u);
  EXPECT_EQ(f.server.ConnectionCount(), 1);
  const ReceivedMessage received = f.server.Messages()[0];
  EXPECT_EQ(received.MailFrom, "ventes@exemple.fr");
  EXPECT_EQ(received.Recipients,
            (std::vector<std::string>{"client@exemple.com", "autre@exemple.com",
                                      "compta@exemple.fr", "direction@exemple.fr",
                                      "archives@exemple.fr"}));

  auto mail = ReadSentMail(received.Path);
  EXPECT_EQ(mail["defects"], "0");
  EXPECT_EQ(mail["subject"], "Votre commande n°42 : 1 250,00 € réglés");
  EXPECT_EQ(mail["from"], "Service Ventes Été <ventes@exemple.fr>");
  EXPECT_EQ(mail["reply-to"], "Service Ventes Été <ventes@exemple.fr>");
  EXPECT_EQ(mail["to"], "Client Éloïse <client@exemple.com>, autre@exemple.com");
  EXPECT_EQ(mail["cc"], "compta@exemple.fr, Direction Générale <direction@exemple.fr>");
  EXPECT_EQ(mail["bcc"], "");
  EXPECT_EQ(mail["mime-version"], "1.0");
  EXPECT_FALSE(mail["date"].empty());
  EXPECT_FALSE(mail["message-id"].empty());
  EXPECT_EQ(mail["disposition-notification-to"], "");
  EXPECT_EQ(mail["body"], "Bonjour Éloïse,\n\n.ligne qui commence par un point\n"
                          "Total = 1 250,00 €\n" + std::string(1500, 'x'));
  EXPECT_LE(std::stoi(mail["longest-line"]), 998);
  EXPECT_EQ(mail["encoded-cr"], "0");
  EXPECT_EQ(mail["attachment-count"], "1");
  EXPECT_EQ(mail["attachment-name"], "Commande n°42 été.pdf");
  EXPECT_EQ(mail["attachment-type"], "application/pdf");
  EXPECT_EQ(mail["attachment-size"], std::to_string(20 * 1024 * 1024));
  auto source = RunPythonFields("sha256_of_file.py", document);
  EXPECT_EQ(mail["attachment-sha256"], source["sha256"]);
  EXPECT_EQ(f.run.IniBytes().find("ExportationMailErreur"), std::string::npos);
}

TEST(SendRun, PriorityAndReadReceiptHeaders) {
  const struct {
    const char* keys;
    const char* xPriority;
    const char* importance;
    bool receipt;
  } cases[] = {
      {"Priorite=0\nAvecAR=1", "1", "high", true},
      {"Priorite=1", "2", "high", false},
      {"", "3", "normal", false},
      {"Priorite=3\nAvecAR=0", "4", "low", false},
      {"Priorite=4", "5", "low", false},
      {"Priorite=9", "3", "normal", false},
  };
  SendFixture f;
  const std::string document = f.Document("c.pdf", 1000);
  for (const auto& c : cases) {
    RealRun run(TestOptions());
    run.WriteIni(f.Ini(std::string("FilePath=") + document +
                       "\nFileName=c.pdf\nAdresseEnvoi=ventes@exemple.fr\n"
                       "EnvoyerA=client@exemple.com\nObjet=p\n" + c.keys));
    run.fiche.FormActivate();
    ASSERT_TRUE(run.toolkit.Messages().empty()) << c.keys << ": " << run.toolkit.Messages()[0];
    auto mail = ReadSentMail(f.server.Messages().back().Path);
    EXPECT_EQ(mail["x-priority"].substr(0, 1), c.xPriority) << c.keys;
    EXPECT_EQ(mail["importance"], c.importance) << c.keys;
    EXPECT_EQ(mail["disposition-notification-to"], c.receipt ? "ventes@exemple.fr" : "")
        << c.keys;
  }
}

TEST(SendRun, ARefusedRecipientIsReportedRecordedAndOffersTheManualSave) {
  SendFixture f;
  const std::string document = f.Document("c.pdf", 1000);
  f.run.toolkit.answer = DialogAnswer::Yes;
  f.run.toolkit.chooserConfirms = true;
  std::filesystem::create_directory(f.run.dir.Path() / "envoi");
  f.run.toolkit.chosenFolder = (f.run.dir.Path() / "envoi").string();
  const std::string ini =
      f.Ini("FilePath=" + document +
            "\nFileName=Commande 7.pdf\nAdresseEnvoi=ventes@exemple.fr\n"
            "EnvoyerA=client@exemple.com, inconnu@exemple.com\nObjet=x");
  f.run.WriteIni(ini);

  f.run.fiche.FormActivate();

  const auto messages = f.run.toolkit.Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0],
            "Erreur : le serveur SMTP a refusé le destinataire <inconnu@exemple.com> "
            "(550 5.1.1 User unknown).");
  EXPECT_TRUE(f.run.Passed("VellumoConnexion"));
  EXPECT_FALSE(f.run.Passed("VellumoResultat"));
  EXPECT_TRUE(f.server.Messages().empty());
  EXPECT_EQ(f.run.IniBytes().substr(0, ini.size()), ini);
  EXPECT_TRUE(IniFile(f.run.iniPath).ReadBool("ExportationMailErreur", "Erreur", false));
  // The user chose to keep the order.
  const std::string destination = (f.run.dir.Path() / "envoi" / "Commande 7.pdf").string();
  EXPECT_EQ(f.run.system.events.back(), "copy " + document + " -> " + destination);
}

TEST(SendRun, AMissingDocumentStopsTheSendWithItsName) {
  SendFixture f;
  const std::string missing = (f.run.dir.Path() / "absente.pdf").string();
  f.run.WriteIni(f.Ini("FilePath=" + missing +
                       "\nFileName=c.pdf\nAdresseEnvoi=ventes@exemple.fr\n"
                       "EnvoyerA=client@exemple.com\nObjet=x"));

  f.run.fiche.FormActivate();

  ASSERT_EQ(f.run.toolkit.Messages().size(), 1u);
  EXPECT_NE(f.run.toolkit.Messages()[0].find(missing), std::string::npos)
      << f.run.toolkit.Messages()[0];
  EXPECT_TRUE(f.server.Messages().empty());
  EXPECT_TRUE(IniFile(f.run.iniPath).ReadBool("ExportationMailErreur", "Erreur", false));
}

TEST(SendRun, AConnectionDroppedBetweenCheckAndSendIsOpenedAgain) {
  SmtpServerOptions options = SendFixture::Options();
  options.IdleDropSeconds = 0.5;
  SmtpTestServer server(options);
  RealRun run(TestOptions());
  const std::string document = run.dir.Write("c.pdf", "%PDF-1.4 commande");
  run.WriteIni("[Email]\nEnvoiMode=2\nFilePath=" + document +
               "\nFileName=c.pdf\nAdresseEnvoi=ventes@exemple.fr\nEnvoyerA=client@exemple.com\n" +
               Account(server.Port(),
                       "SmtpAuth=1\nSmtpCompte=ventes@exemple.fr\nSmtpMotDePasse=mot de passe\n"
                       "UseSmtpTLS=1\nSmtpTLSMode=2\n"));

  std::unique_ptr<TSMTPConfig> account = run.fiche.CheckSMTPConnection(true);
  ASSERT_TRUE(account);
  ASSERT_FALSE(run.fiche.ErrorFlag()) << run.fiche.ErrorMessage();
  ASSERT_TRUE(server.WaitUntil([&] { return !account->Connected(); }, std::chrono::seconds(5)));
  run.fiche.DeliverMessage(*account);

  EXPECT_FALSE(run.fiche.ErrorFlag()) << run.fiche.ErrorMessage();
  EXPECT_TRUE(run.Passed("VellumoResultat"));
  ASSERT_EQ(server.Messages().size(), 1u);
  EXPECT_EQ(server.ConnectionCount(), 2);
}

}  // namespace
}  // namespace vellumo::testing
