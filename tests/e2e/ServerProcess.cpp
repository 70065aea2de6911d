#include "e2e/ServerProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace vellumo::testing {
namespace {

// Reads one line from `fd` within `timeoutMs`; empty on time-out or end.
std::string ReadLine(int fd, int timeoutMs) {
  std::string line;
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (line.empty() || line.back() != '\n') {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          end - std::chrono::steady_clock::now())
                          .count();
    if (left <= 0) return {};
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left)) <= 0) continue;
    char c = 0;
    if (read(fd, &c, 1) != 1) return {};
    line.push_back(c);
  }
  return line;
}

}  // namespace

ServerProcess::~ServerProcess() { Stop(); }

void ServerProcess::Start(const std::vector<std::string>& arguments, const std::string& what) {
  std::vector<std::string> command = {TestPython()};
  command.insert(command.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (const std::string& arg : command) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  int in[2];
  int out[2];
  if (pipe2(in, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  if (pipe2(out, O_CLOEXEC) != 0) {
    close(in[0]);
    close(in[1]);
    throw std::runtime_error("pipe failed");
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  const int spawned = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(in[0]);
  close(out[1]);
  stdinFd_ = in[1];
  if (spawned != 0) {
    pid_ = -1;
    close(out[0]);
    Stop();
    throw std::runtime_error("cannot start " + what);
  }

  const std::string line = ReadLine(out[0], 15000);
  close(out[0]);
  if (line.rfind("PORT ", 0) != 0) {
    Stop();
    throw std::runtime_error(what + " did not start");
  }
  port_ = static_cast<std::uint16_t>(std::stoi(line.substr(5)));
}

void ServerProcess::Stop() {
  if (stdinFd_ >= 0) {
    close(stdinFd_);  // the server's cue to end
    stdinFd_ = -1;
  }
  if (pid_ <= 0) return;
  int status = 0;
  for (int i = 0; i < 250; ++i) {  // up to 5 s for a clean end
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  kill(pid_, SIGKILL);
  waitpid(pid_, &status, 0);
  pid_ = -1;
}

}  // namespace vellumo::testing
