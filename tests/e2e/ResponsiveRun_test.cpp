// Runs whose network work goes on while the dialog handles its events: the
// user closes the dialog mid-run, or watches a slow send's progress. The
// real libcurl client against the scripted server; only the screen is a
// recording fake.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "app/UnitFicheVellumo.h"
#include "app/UserTexts.h"
#include "e2e/FaultServer.h"
#include "fakes/FakeSystem.h"
#include "fakes/FakeToolkit.h"
#include "fakes/TempDirectory.h"
#include "smtp/curl/CurlSmtpClientFactory.h"

namespace vellumo::testing {
namespace {

using Clock = std::chrono::steady_clock;

std::string Document(std::size_t bytes) {
  std::string document(bytes, '\0');
  for (std::size_t i = 0; i < bytes; ++i) document[i] = static_cast<char>((i * 131 + i / 997) & 0xFF);
  return document;
}

struct NetworkRun {
  NetworkRun() : clients(CurlSmtpOptions{}), fiche(toolkit, system, clients) {}

  void WriteIni(int mode, std::uint16_t port, std::size_t documentBytes) {
    const std::string document = dir.Write("commande-42.pdf", Document(documentBytes));
    iniPath = dir.Write("commande.ini",
                        "[Email]\r\nEnvoiMode=" + std::to_string(mode) + "\r\nFilePath=" + document +
                            "\r\nFileName=commande-42.pdf\r\nAdresseEnvoi=vendeur@exemple.fr\r\n"
                            "EnvoyerA=client@exemple.fr\r\nObjet=Commande 42\r\n"
                            "[ConfigMail]\r\nSmtpAdresse=127.0.0.1\r\nSmtpPort=" +
                            std::to_string(port) + "\r\n");
    fiche.SetConfigPath(iniPath);
  }

  TempDirectory dir;
  FakeToolkit toolkit;
  FakeSystem system;
  CurlSmtpClientFactory clients;
  TFicheVellumo fiche;
  std::string iniPath;
};

struct CloseRow {
  const char* name;
  int mode;
  const char* server;  // members of the server's case
  std::size_t documentBytes;
  std::chrono::milliseconds closeAfter;
  const char* says;
};

// Each server keeps the client waiting far beyond the moment of the close:
// silent at the greeting, silent after DATA, or reading the message at a
// crawl.
const CloseRow kCloseRows[] = {
    {"TestSilentGreeting", 1, R"("greeting": {"do": "silence"})", 100, std::chrono::milliseconds(300),
     texts::kConnectionTestCancelled},
    {"SendSilentAfterData", 2, R"("data": {"do": "silence"})", 100, std::chrono::milliseconds(300),
     texts::kSendCancelled},
    {"SendMidMessage", 2, R"("data_rate": 100000)", 12u << 20, std::chrono::milliseconds(1500),
     texts::kSendCancelled},
};

class CloseDuringRun : public ::testing::TestWithParam<CloseRow> {};

TEST_P(CloseDuringRun, EndsAtOnceAsACancelledFailureAndNothingIsDelivered) {
  const CloseRow& row = GetParam();
  FaultServer server(row.server);
  NetworkRun run;
  run.WriteIni(row.mode, server.Port(), row.documentBytes);

  const Clock::time_point start = Clock::now();
  Clock::time_point closedAt{};
  run.toolkit.onProcess = [&] {
    if (closedAt == Clock::time_point{} && Clock::now() - start >= row.closeAfter) {
      closedAt = Clock::now();
      EXPECT_FALSE(run.fiche.OnCloseRequested()) << "the run closes the dialog itself";
    }
  };
  run.fiche.FormActivate();
  const Clock::time_point end = Clock::now();

  ASSERT_NE(closedAt, Clock::time_point{});
  EXPECT_LT(end - closedAt, std::chrono::seconds(2));
  EXPECT_TRUE(run.fiche.Cancelled());
  ASSERT_FALSE(run.toolkit.Messages().empty());
  EXPECT_EQ(run.toolkit.Messages().front(), row.says);
  EXPECT_NE(ReadFileBytes(run.iniPath).find("Erreur=1"), std::string::npos);
  EXPECT_EQ(run.toolkit.Has("question " + std::string(texts::kSaveQuestion)), row.mode == 2);
  EXPECT_TRUE(run.toolkit.closed);
  EXPECT_TRUE(run.fiche.OnCloseRequested()) << "after the run, a close goes through";

  const FaultTranscript transcript = server.Transcript();
  for (const FaultConnection& connection : transcript.Connections) {
    for (const FaultMessage& message : connection.Messages) {
      EXPECT_FALSE(message.Complete) << "the end of data went out";
    }
    EXPECT_EQ(connection.ClosedBy, "client");
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, CloseDuringRun, ::testing::ValuesIn(kCloseRows),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(CloseAfterAcceptance, LeavesTheSendDone) {
  // The message is accepted; the server then never answers QUIT.
  FaultServer server(R"("quit": {"do": "silence"})");
  NetworkRun run;
  run.WriteIni(2, server.Port(), 100);
  run.toolkit.onProcess = [&] {
    for (const FaultConnection& connection : server.Snapshot().Connections) {
      if (connection.IndexOf("QUIT") >= 0) run.fiche.OnCloseRequested();
    }
  };
  const Clock::time_point start = Clock::now();
  run.fiche.FormActivate();

  EXPECT_LT(Clock::now() - start, std::chrono::seconds(5)) << "the wait for QUIT was cut short";
  EXPECT_FALSE(run.fiche.ErrorFlag()) << run.fiche.ErrorMessage();
  EXPECT_EQ(ReadFileBytes(run.iniPath).find("Erreur"), std::string::npos);
  EXPECT_EQ(server.Transcript().AcceptedMessages().size(), 1u);
}

TEST(SlowSend, TheSendLineShowsTheShareSentThenSaysEnvoiAgain) {
  FaultServer server(R"("data_rate": 2000000)");
  NetworkRun run;
  run.WriteIni(2, server.Port(), 6u << 20);
  run.fiche.FormActivate();

  ASSERT_FALSE(run.fiche.ErrorFlag()) << run.fiche.ErrorMessage();
  const std::vector<std::string>& shown = run.toolkit.stepTexts[Step::VellumoResultat];
  ASSERT_GE(shown.size(), 3u) << "at least two shares, then the plain line";
  EXPECT_EQ(shown.back(), texts::kSendStep);
  std::vector<int> shares;
  for (std::size_t i = 0; i + 1 < shown.size(); ++i) {
    int percent = -1;
    ASSERT_EQ(std::sscanf(shown[i].c_str(), "Envoi (%d %%)", &percent), 1) << shown[i];
    shares.push_back(percent);
  }
  EXPECT_TRUE(std::is_sorted(shares.begin(), shares.end()));
  EXPECT_LT(shares.front(), shares.back());
  EXPECT_LE(shares.back(), 100);
}

}  // namespace
}  // namespace vellumo::testing
