// The programs themselves, started as a host starts them: the arguments'
// bytes, the toolkit's own options, the test hooks, a missing display.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "app/Startup.h"
#include "app/UserTexts.h"
#include "tests/fakes/TempDirectory.h"

extern char** environ;

namespace vellumo::testing {
namespace {

struct Outcome {
  bool exited = false;  // false: still running at the limit, then killed
  int exitCode = -1;    // -1 when it did not exit normally
  std::string standardError;
};

// Changes to the test's own environment for the child.
struct Environment {
  std::map<std::string, std::string> set;
  std::vector<std::string> unset;
};

// Runs `program` with exactly these argument bytes, in `folder`, and waits
// at most `limit`.
Outcome RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                   const std::filesystem::path& folder, const Environment& change,
                   std::chrono::milliseconds limit) {
  std::map<std::string, std::string> variables;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    const std::size_t equals = text.find('=');
    if (equals != std::string::npos) variables[text.substr(0, equals)] = text.substr(equals + 1);
  }
  for (const auto& [name, value] : change.set) variables[name] = value;
  for (const auto& name : change.unset) variables.erase(name);
  std::vector<std::string> envText;
  for (const auto& [name, value] : variables) envText.push_back(name + "=" + value);

  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (auto& text : envText) envp.push_back(text.data());
  envp.push_back(nullptr);
  const std::string errPath = (folder / "stderr.txt").string();
  const std::string dir = folder.string();

  const pid_t child = fork();
  if (child == 0) {
    const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int null = open("/dev/null", O_RDWR);
    if (err < 0 || null < 0 || chdir(dir.c_str()) != 0) _exit(127);
    dup2(null, 0);
    dup2(null, 1);
    dup2(err, 2);
    execve(program.c_str(), argv.data(), envp.data());
    _exit(127);
  }
  Outcome outcome;
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (waitpid(child, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      outcome.standardError = ReadFileBytes(errPath);
      return outcome;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  outcome.exited = true;
  if (WIFEXITED(status)) outcome.exitCode = WEXITSTATUS(status);
  outcome.standardError = ReadFileBytes(errPath);
  return outcome;
}

constexpr auto kRunLimit = std::chrono::seconds(30);
const std::string kMarker = "[ExportationMailErreur]";

bool Exists(const TempDirectory& folder, const std::string& name) {
  return std::filesystem::exists(folder.Path() / name);
}

bool Marked(const TempDirectory& folder, const std::string& name) {
  return Exists(folder, name) && folder.Read(name).find(kMarker) != std::string::npos;
}

// The offscreen platform and every test hook: the unattended program's
// runs end without anybody at the boxes; the shipped program must not care.
Environment WithHooks(const TempDirectory& folder) {
  return {{{"QT_QPA_PLATFORM", "offscreen"},
           {"VELLUMO_AUTO_ANSWER", "no"},
           {"VELLUMO_SCREENSHOT_DIR", folder.Path().string()},
           {"VELLUMO_SCREENSHOT", (folder.Path() / "dialog.png").string()}},
          {}};
}

struct ArgumentCase {
  const char* what;
  std::vector<std::string> arguments;
  const char* existingFile;  // written before the run, without a marker
  const char* markedFile;    // the run used this file; nullptr when no run
  std::vector<std::string> absentFiles;
};

TEST(ProgramEntry, ArgumentsAreCountedAndUsedAsTheHostWroteThem) {
#ifndef VELLUMO_UNATTENDED_PROGRAM
  GTEST_SKIP() << "built without VELLUMO_UNATTENDED";
#else
  const std::vector<ArgumentCase> cases = {
      // A Latin-1 byte in the path: that very file, not a decoded name.
      {"latin1_path", {"caf\xE9.ini"}, "caf\xE9.ini", "caf\xE9.ini", {"caf\xEF\xBF\xBD.ini"}},
      // Qt's own options are ordinary arguments.
      {"qt_option_alone", {"-reverse"}, nullptr, "-reverse", {}},
      {"qt_option_before_path", {"-style", "fusion", "X.ini"}, nullptr, nullptr, {"X.ini"}},
  };
  for (const ArgumentCase& c : cases) {
    SCOPED_TRACE(c.what);
    TempDirectory folder;
    if (c.existingFile != nullptr) folder.Write(c.existingFile, "[Autre]\r\nCle=1\r\n");

    const Outcome outcome = RunProgram(VELLUMO_UNATTENDED_PROGRAM, c.arguments, folder.Path(),
                                       WithHooks(folder), kRunLimit);

    ASSERT_TRUE(outcome.exited);
    EXPECT_EQ(outcome.exitCode, 0);
    if (c.markedFile != nullptr) {
      EXPECT_TRUE(Marked(folder, c.markedFile));
      EXPECT_TRUE(Exists(folder, "dialog.png")) << "the run showed its dialog";
    } else {
      EXPECT_FALSE(Exists(folder, "dialog.png")) << "no run";
      EXPECT_TRUE(Exists(folder, "box-1.png")) << "the refusal box";
    }
    for (const std::string& name : c.absentFiles) EXPECT_FALSE(Exists(folder, name)) << name;
  }
#endif
}

TEST(ProgramEntry, ShippedProgramIgnoresTheTestHooks) {
  TempDirectory folder;
  folder.Write("mode0.ini", "[Email]\r\nEnvoiMode=0\r\n");

  // A run with nothing to say closes by itself, and saves no picture.
  const Outcome run =
      RunProgram(VELLUMO_PROGRAM, {"mode0.ini"}, folder.Path(), WithHooks(folder), kRunLimit);
  ASSERT_TRUE(run.exited);
  EXPECT_FALSE(Exists(folder, "dialog.png"));

  // The refusal box waits for the user instead of answering itself.
  const Outcome refusal =
      RunProgram(VELLUMO_PROGRAM, {}, folder.Path(), WithHooks(folder), std::chrono::seconds(3));
  EXPECT_FALSE(refusal.exited);
  EXPECT_FALSE(Exists(folder, "box-1.png"));
}

struct DisplayCase {
  const char* what;
  std::map<std::string, std::string> set;
  std::vector<std::string> arguments;
  std::string standardError;
  bool marked;
};

TEST(ProgramEntry, WithoutDisplayTheFileIsMarkedAndStandardErrorSaysWhy) {
  const std::string noDisplay = std::string(texts::kNoDisplay) + "\n";
  const std::vector<DisplayCase> cases = {
      {"no_display", {}, {"commande.ini"}, noDisplay, true},
      {"x_server_gone", {{"DISPLAY", ":4711"}}, {"commande.ini"}, noDisplay, true},
      {"no_argument", {}, {}, std::string(texts::kMissingArgument) + "\n", false},
  };
  for (const DisplayCase& c : cases) {
    SCOPED_TRACE(c.what);
    TempDirectory folder;
    folder.Write("commande.ini", "[Email]\r\nEnvoiMode=2\r\n");
    Environment change{c.set,
                       {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE"}};
    for (const auto& [name, value] : c.set) std::erase(change.unset, name);

    const Outcome outcome =
        RunProgram(VELLUMO_PROGRAM, c.arguments, folder.Path(), change, kRunLimit);

    ASSERT_TRUE(outcome.exited);
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(outcome.standardError, c.standardError);
    EXPECT_EQ(Marked(folder, "commande.ini"), c.marked);
  }
}

}  // namespace
}  // namespace vellumo::testing
