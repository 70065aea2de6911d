// The run controller driven with fakes: what the user sees, what the host
// finds in its file, and in which order.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "config/IniFile.h"
#include "fakes/RunHarness.h"

namespace vellumo::testing {
namespace {

const char* kMissingEmail =
    "Erreur : la section Email n'éxiste pas dans le fichier de configuration.\n"
    "Vérifiez votre configuration.";
const char* kMarker = "[ExportationMailErreur]";

std::string Ini(const std::string& email) { return "[Email]\n" + email + "\n" + kPlainAccount; }

struct ModeCase {
  const char* name;
  std::string ini;
  int height;
  int runMode;
  std::vector<std::string> messages;
  int connects;
};

const ModeCase kModes[] = {
    {"mode_absent_tests_the_connection", Ini("Objet=x"), 141, 1, {}, 1},
    {"mode_text_is_mode_1", Ini("EnvoiMode=abc"), 141, 1, {}, 1},
    {"mode_1", Ini("EnvoiMode=1"), 141, 1, {}, 1},
    {"mode_3_confirms", Ini("EnvoiMode=3"), 141, 3, {"Connexion réussie !"}, 1},
    {"mode_0_runs_nothing", Ini("EnvoiMode=0"), 141, 0, {}, 0},
    {"mode_4_runs_nothing", Ini("EnvoiMode=4"), 141, 4, {}, 0},
};

class RunModeTest : public ::testing::TestWithParam<ModeCase> {};

TEST_P(RunModeTest, SuccessfulRunsLeaveTheFileAlone) {
  const ModeCase& c = GetParam();
  RunHarness run;
  run.WriteIni(c.ini);

  run.fiche.FormActivate();

  EXPECT_FALSE(run.fiche.ErrorFlag()) << run.fiche.ErrorMessage();
  EXPECT_EQ(run.toolkit.height, c.height);
  EXPECT_EQ(run.fiche.GetRunMode(), c.runMode);
  EXPECT_EQ(run.toolkit.Messages(), c.messages);
  const int connects = run.clients.Last() ? run.clients.Last()->CountOf("Connect") : 0;
  EXPECT_EQ(connects, c.connects);
  EXPECT_EQ(run.IniBytes(), c.ini);
  EXPECT_TRUE(run.toolkit.closed);
  EXPECT_TRUE(run.toolkit.Has("process for 1000"));
}

INSTANTIATE_TEST_SUITE_P(Modes, RunModeTest, ::testing::ValuesIn(kModes),
                         [](const auto& row) { return std::string(row.param.name); });

// Each step needs the file and reads it whole once, as it is then: as many
// reads as steps. The marker's own reads come with its writes.
TEST(FormActivate, ReadsTheFileOncePerStep) {
  for (const auto& [mode, steps] : {std::pair{"1", 2u}, {"2", 3u}}) {
    RunHarness run;
    run.WriteIni(Ini(std::string("EnvoiMode=") + mode +
                     "\nFilePath=/tmp/c.pdf\nFileName=c.pdf\nAdresseEnvoi=a@x.fr\nEnvoyerA=b@x.fr"));
    run.fiche.FormActivate();
    ASSERT_FALSE(run.fiche.ErrorFlag()) << run.fiche.ErrorMessage();
    EXPECT_EQ(run.system.reads, std::vector<std::string>(steps, run.iniPath)) << "mode " << mode;
  }
}

TEST(FormActivate, ResetsEveryCrossThenEveryCheck) {
  RunHarness run;
  run.WriteIni(Ini("EnvoiMode=0"));
  run.fiche.FormActivate();

  const std::vector<std::string> expected = {
      "height 141",
      "show ImgEtatConnexionReadConfNo",  "show ImgEtatConnexionCheckConfNo",
      "show ImgEtatConnexionResultatNo",  "show ImgVellumoReadConfNo",
      "show ImgVellumoPreparationNo",     "show ImgVellumoConnexionNo",
      "show ImgVellumoResultatNo",        "hide ImgEtatConnexionReadConfYes",
      "hide ImgEtatConnexionCheckConfYes", "hide ImgEtatConnexionResultatYes",
      "hide ImgVellumoReadConfYes",       "hide ImgVellumoPreparationYes",
      "hide ImgVellumoConnexionYes",      "hide ImgVellumoResultatYes",
      "process",                          "front",
      "process for 1000",                 "close"};
  EXPECT_EQ(run.toolkit.events, expected);
}

TEST(FormActivate, ConnectionTestMarksAllThreeAndDisconnects) {
  RunHarness run;
  run.WriteIni(Ini("EnvoiMode=1"));
  run.fiche.FormActivate();
  for (const auto& step : {"EtatConnexionReadConf", "EtatConnexionCheckConf",
                           "EtatConnexionResultat"})
    EXPECT_TRUE(run.toolkit.IsVisible(std::string("Img") + step + "Yes")) << step;
  EXPECT_TRUE(run.toolkit.IsVisible("ImgVellumoReadConfNo"));
  EXPECT_EQ(run.clients.Last()->CountOf("Disconnect"), 1);
}

TEST(FormActivate, MissingFileFailsAndTheMarkerCreatesIt) {
  RunHarness run;
  const auto path = run.dir.Path() / "absent.ini";
  run.fiche.SetConfigPath(path.string());

  run.fiche.FormActivate();

  EXPECT_EQ(run.toolkit.Messages(), std::vector<std::string>{kMissingEmail});
  EXPECT_TRUE(run.toolkit.VisibleImages().empty());
  EXPECT_EQ(run.toolkit.height, 253);  // designed size kept
  const std::string written = ReadFileBytes(path);
  EXPECT_NE(written.find(kMarker), std::string::npos);
  EXPECT_NE(written.find("Erreur=1"), std::string::npos);
  EXPECT_FALSE(run.toolkit.Has("question Voulez-vous enregistrer votre commande afin de l'envoyer "
                               "manuellement ?"));
  EXPECT_TRUE(run.toolkit.closed);
}

TEST(FormActivate, EmptyEmailSectionCountsAsMissing) {
  RunHarness run;
  run.WriteIni(std::string("[Email]\n\n") + kPlainAccount);
  run.fiche.FormActivate();
  EXPECT_EQ(run.toolkit.Messages(), std::vector<std::string>{kMissingEmail});
}

TEST(FormActivate, SuccessKeepsAnEarlierMarker) {
  RunHarness run;
  const std::string ini = Ini("EnvoiMode=1") + "[ExportationMailErreur]\nErreur=1\n";
  run.WriteIni(ini);
  run.fiche.FormActivate();
  EXPECT_FALSE(run.fiche.ErrorFlag());
  EXPECT_EQ(run.IniBytes(), ini);
}

TEST(FormActivate, FailedAccountWritesTheMarkerBeforeTheMessage) {
  RunHarness run;
  run.clients.prototype.connectThrows = "Erreur : connexion refusée par smtp.exemple.fr.";
  const std::string ini = Ini("EnvoiMode=3");
  run.WriteIni(ini);

  run.fiche.FormActivate();

  EXPECT_EQ(run.toolkit.Messages(),
            std::vector<std::string>{"Erreur : connexion refusée par smtp.exemple.fr."});
  // Only the marker was added after the host's bytes.
  EXPECT_EQ(run.IniBytes().substr(0, ini.size()), ini);
  EXPECT_TRUE(IniFile(run.iniPath).ReadBool("ExportationMailErreur", "Erreur", false));
  EXPECT_FALSE(run.toolkit.IsVisible("ImgEtatConnexionResultatYes"));
  EXPECT_TRUE(run.toolkit.closed);
}

TEST(FormActivate, FailedSendShowsMessageThenOffersTheManualSave) {
  RunHarness run;
  run.clients.prototype.sendThrows = "Erreur : destinataire refusé.";
  run.toolkit.answer = DialogAnswer::No;
  run.WriteIni(Ini("EnvoiMode=2\nFilePath=/tmp/c.pdf\nFileName=c.pdf\nAdresseEnvoi=a@x.fr\n"
                   "EnvoyerA=b@x.fr"));

  run.fiche.FormActivate();

  const int message = run.toolkit.IndexOf("message Erreur : destinataire refusé.");
  const int question = run.toolkit.IndexOf(
      "question Voulez-vous enregistrer votre commande afin de l'envoyer manuellement ?");
  ASSERT_GE(message, 0);
  EXPECT_GT(question, message);
  EXPECT_GT(run.toolkit.IndexOf("close"), question);
  EXPECT_EQ(run.toolkit.height, 253);
  EXPECT_NE(run.IniBytes().find("Erreur=1"), std::string::npos);
}

TEST(FormActivate, AnExceptionEscapingTheCheckStillEndsInAReportedFailure) {
  RunHarness run;
  run.clients.prototype.disconnectThrows = "";  // no text at all
  run.WriteIni(Ini("EnvoiMode=1"));

  run.fiche.FormActivate();

  EXPECT_EQ(run.toolkit.Messages(),
            std::vector<std::string>{"Erreur : une erreur inattendue a interrompu le traitement."});
  EXPECT_NE(run.IniBytes().find("Erreur=1"), std::string::npos);
  EXPECT_TRUE(run.toolkit.Has("process for 1000"));
  EXPECT_TRUE(run.toolkit.closed);
}

// The host's file is read-only: the marker cannot go in, and the second box
// says what the run was.
struct UnwritableMarkerCase {
  const char* name;
  std::string ini;
  const char* firstBox;
  const char* secondBox;
};

void PrintTo(const UnwritableMarkerCase& c, std::ostream* os) { *os << c.name; }

const char* kRefused = "Erreur : connexion refusée.";

const UnwritableMarkerCase kUnwritableMarkerCases[] = {
    {"reading_failed", kPlainAccount, kMissingEmail,
     "Erreur : l'échec du traitement n'a pas pu être enregistré"},
    {"mode_1", Ini("EnvoiMode=1"), kRefused,
     "Erreur : l'échec du test de connexion n'a pas pu être enregistré"},
    {"mode_3", Ini("EnvoiMode=3"), kRefused,
     "Erreur : l'échec du test de connexion n'a pas pu être enregistré"},
    {"mode_2", Ini("EnvoiMode=2"), kRefused,
     "Erreur : l'échec de l'envoi n'a pas pu être enregistré"},
};

class UnwritableMarkerTest : public ::testing::TestWithParam<UnwritableMarkerCase> {};

TEST_P(UnwritableMarkerTest, IsToldAfterTheRunsOwnFailure) {
  const UnwritableMarkerCase& c = GetParam();
  RunHarness run;
  run.clients.prototype.connectThrows = kRefused;
  run.WriteIni(c.ini);
  ASSERT_EQ(::chmod(run.iniPath.c_str(), 0444), 0);

  run.fiche.FormActivate();

  const auto messages = run.toolkit.Messages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0], c.firstBox);
  EXPECT_EQ(messages[1].rfind(std::string(c.secondBox) +
                                  " dans le fichier de configuration.\n"
                                  "Erreur : impossible d'écrire dans le fichier de configuration " +
                                  run.iniPath,
                              0),
            0u)
      << messages[1];
  EXPECT_EQ(run.IniBytes(), c.ini);
  EXPECT_TRUE(run.toolkit.closed);
}

INSTANTIATE_TEST_SUITE_P(Runs, UnwritableMarkerTest, ::testing::ValuesIn(kUnwritableMarkerCases),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(FormActivate, ASuccessThatCannotTakeItsMarkerOutSaysSo) {
  RunHarness run;
  run.WriteIni(Ini("EnvoiMode=3"));
  // The marker is in by the time the run connects; then the file turns read-only.
  run.clients.prototype.onConnect = [&run] { ::chmod(run.iniPath.c_str(), 0444); };

  run.fiche.FormActivate();

  const auto messages = run.toolkit.Messages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].rfind(
                "Attention : le test de connexion a réussi, mais le fichier de configuration le "
                "signale encore comme un échec.\nErreur : impossible d'écrire",
                0),
            0u)
      << messages[0];
  EXPECT_EQ(messages[1], "Connexion réussie !");
  EXPECT_TRUE(IniFile(run.iniPath).ReadBool("ExportationMailErreur", "Erreur", false));
}

// The user closes the dialog while the client waits on the network: the
// run fails with its own text and marker; closed during the final pause,
// the outcome stands.
struct CloseCase {
  const char* name;
  std::string ini;
  const char* closeAt;  // the event during which the user closes
  std::vector<std::string> messages;
};

const CloseCase kCloses[] = {
    {"test_cancelled", Ini("EnvoiMode=3"), "process",
     {"Erreur : test de connexion annulé par l'utilisateur."}},
    {"send_cancelled", Ini("EnvoiMode=2\nFilePath=/nulle/part.pdf"), "process",
     {"Erreur : envoi annulé par l'utilisateur."}},
    {"pause_changes_nothing", Ini("EnvoiMode=3"), "process for 1000", {"Connexion réussie !"}},
};

class CloseDuringRunTest : public ::testing::TestWithParam<CloseCase> {};

TEST_P(CloseDuringRunTest, EndsAsTheUserAsked) {
  const CloseCase& c = GetParam();
  RunHarness run;
  run.WriteIni(c.ini);
  run.toolkit.onProcess = [&] {
    if (run.toolkit.events.back() == c.closeAt) {
      EXPECT_FALSE(run.fiche.OnCloseRequested());
    }
  };
  run.fiche.FormActivate();

  std::vector<std::string> boxes = run.toolkit.Messages();
  EXPECT_EQ(boxes, c.messages);
  EXPECT_EQ(run.IniBytes().find(kMarker) != std::string::npos, c.messages.front()[0] == 'E');
  EXPECT_TRUE(run.toolkit.closed);
  EXPECT_TRUE(run.fiche.OnCloseRequested());
}

INSTANTIATE_TEST_SUITE_P(Closes, CloseDuringRunTest, ::testing::ValuesIn(kCloses),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(FormActivate, ActivationStartsOneRunOnly) {
  RunHarness run;
  run.WriteIni(Ini("EnvoiMode=3"));
  run.fiche.OnActivated();
  run.fiche.OnActivated();
  run.fiche.OnActivated();
  EXPECT_EQ(run.toolkit.Messages(), std::vector<std::string>{"Connexion réussie !"});
  EXPECT_EQ(run.clients.clients.size(), 1u);
}

}  // namespace
}  // namespace vellumo::testing
