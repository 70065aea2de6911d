// A run killed midway (SIGKILL, as a crash or a power cut would end it)
// leaves the failure marker in the host's file, wherever it was stopped:
// only a run that finished may leave the file without one.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "app/UnitFicheVellumo.h"
#include "e2e/FaultServer.h"
#include "fakes/FakeSystem.h"
#include "fakes/FakeToolkit.h"
#include "fakes/TempDirectory.h"
#include "smtp/curl/CurlSmtpClientFactory.h"
#include "smtp/curl/CurlSmtpOptions.h"

namespace vellumo::testing {
namespace {

// Stops the process where a step mark is shown, for the killer to find.
class StoppingToolkit : public FakeToolkit {
 public:
  void SetImageVisible(const std::string& imageName, bool visible) override {
    FakeToolkit::SetImageVisible(imageName, visible);
    if (visible && imageName == stopAt) ::raise(SIGSTOP);
  }
  std::string stopAt;
};

struct KillPoint {
  const char* name;
  const char* server;  // members of the fault server's case
  const char* stopAt;  // the run stops itself where this image is shown; or
  const char* seen;    // it is killed once the server saw this command
  bool delivered;      // the server accepted the message before the kill
};

void PrintTo(const KillPoint& point, std::ostream* out) { *out << point.name; }

const KillPoint kPoints[] = {
    {"before_connecting", "", "ImgEtatConnexionCheckConfYes", "", false},
    {"during_the_check", R"("noop": {"delay": 60})", "", "NOOP", false},
    {"during_data", R"("end_of_data": {"delay": 60})", "", "DATA", false},
    {"after_the_server_accepted", "", "ImgVellumoResultatYes", "", true},
};

class KilledRunTest : public ::testing::TestWithParam<KillPoint> {};

// Polls `done` until it holds or 30 s pass.
bool WaitFor(const std::function<bool()>& done) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

TEST_P(KilledRunTest, LeavesTheMarker) {
  const KillPoint& point = GetParam();
  FaultServer server(point.server);
  TempDirectory dir;
  const std::string document = dir.Write("commande.pdf", "%PDF-1.4 commande 42\n");
  const std::string ini = "[Email]\nEnvoiMode=2\nFilePath=" + document +
                          "\nFileName=commande.pdf\nAdresseEnvoi=vendeur@exemple.fr\n"
                          "EnvoyerA=client@exemple.fr\nObjet=Commande\n"
                          "[ConfigMail]\nSmtpAdresse=127.0.0.1\nSmtpPort=" +
                          std::to_string(server.Port()) + "\n";
  const std::string iniPath = dir.Write("commande.ini", ini);

  CurlSmtpOptions options;
  options.ConnectTimeoutSeconds = 60;
  options.IdleTimeoutSeconds = 60;
  StoppingToolkit toolkit;
  toolkit.stopAt = point.stopAt;
  FakeSystem system;
  CurlSmtpClientFactory clients(options);
  TFicheVellumo fiche(toolkit, system, clients);
  fiche.SetConfigPath(iniPath);

  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    fiche.FormActivate();
    ::_exit(0);
  }

  int status = 0;
  if (*point.stopAt) {
    ASSERT_EQ(::waitpid(child, &status, WUNTRACED), child);
    EXPECT_TRUE(WIFSTOPPED(status)) << "the run ended before the point";
  } else {
    const bool reached = WaitFor([&] { return server.Snapshot().CountOf(point.seen) > 0; });
    EXPECT_TRUE(reached) << "the server never saw " << point.seen;
  }
  ::kill(child, SIGKILL);
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
      << "the run ended before the kill";

  EXPECT_EQ(ReadFileBytes(iniPath), ini + "[ExportationMailErreur]\nErreur=1\n");
  EXPECT_EQ(server.Transcript().AcceptedMessages().size(), point.delivered ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Points, KilledRunTest, ::testing::ValuesIn(kPoints),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace vellumo::testing
