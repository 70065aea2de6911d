// Start-up with a recording application shell.
#include "app/Startup.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <sstream>
#include <stdexcept>

#include "app/ApplicationShell.h"
#include "app/IniWriteErrorText.h"
#include "app/UserTexts.h"
#include "config/IniFile.h"
#include "fakes/RunHarness.h"
#include "fakes/TempDirectory.h"

namespace vellumo::testing {
namespace {

class FakeShell : public ApplicationShell {
 public:
  void SetMainFormOnTaskBar(bool value) override { events.push_back(value ? "taskbar" : "-"); }
  void SetTitle(const std::string& title) override { events.push_back("title " + title); }
  TFicheVellumo& CreateMainForm() override {
    if (failOnCreate) throw std::runtime_error("fenêtre impossible");
    events.emplace_back("create");
    return run.fiche;
  }
  bool TrySetStyle(const std::string& name) override {
    events.push_back("style " + name);
    return styleApplies;
  }
  void Run() override { events.push_back("run " + run.fiche.GetConfigPath()); }
  void ShowMessage(const std::string& text) override { events.push_back("message " + text); }
  void ShowException(const std::string& message) override {
    events.push_back("exception " + message);
  }

  RunHarness run;
  std::vector<std::string> events;
  bool styleApplies = true;
  bool failOnCreate = false;
};

const std::string kRefusal =
    "message Erreur : impossible de lancer le module Vellumo sans paramètre.";

struct ArgumentCase {
  const char* name;
  std::vector<std::string> arguments;
  bool styleApplies;
  std::string last;
};

const ArgumentCase kArguments[] = {
    {"none", {}, true, kRefusal},
    {"one", {"/tmp/commande 42.ini"}, true, "run /tmp/commande 42.ini"},
    {"one_without_style", {"/tmp/c.ini"}, false, "run /tmp/c.ini"},
    {"unquoted_path_with_space", {"/tmp/commande", "42.ini"}, true, kRefusal},
};

class StartupTest : public ::testing::TestWithParam<ArgumentCase> {};

TEST_P(StartupTest, RunsOnlyWithExactlyOneArgument) {
  const ArgumentCase& c = GetParam();
  FakeShell shell;
  shell.styleApplies = c.styleApplies;

  StartVellumo(shell, c.arguments);

  const std::vector<std::string> expected = {"taskbar", "title Vellumo", "create",
                                             "style Smokey Quartz Kamri", c.last};
  EXPECT_EQ(shell.events, expected);
  EXPECT_FALSE(shell.run.toolkit.closed);
  EXPECT_TRUE(shell.run.toolkit.events.empty());  // no dialog work, no file touched
}

INSTANTIATE_TEST_SUITE_P(Arguments, StartupTest, ::testing::ValuesIn(kArguments),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(Startup, AnExceptionIsShownThroughTheStandardDisplay) {
  FakeShell shell;
  shell.failOnCreate = true;
  StartVellumo(shell, {"/tmp/c.ini"});
  EXPECT_EQ(shell.events.back(), "exception fenêtre impossible");
}

// Without a display the user reads standard error: a marker that cannot be
// written is told there in the run's own words.
TEST(Startup, WithoutDisplayAnUnwritableFileIsToldInFrench) {
  TempDirectory folder;
  const std::string path = folder.Write("commande.ini", "[Email]\r\nEnvoiMode=2\r\n");
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  std::ostringstream err;

  StartWithoutDisplay({path}, err);

  EXPECT_EQ(err.str(), std::string(texts::kNoDisplay) + "\n" + texts::kNoDisplayMarkerNotWritten + "\n" +
                           IniWriteErrorText(IniWriteError(path, IniWriteReason::ReadOnly)) + "\n");
}

}  // namespace
}  // namespace vellumo::testing
