#include "e2e/SmtpTestServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace vellumo::testing {
namespace {

std::string EnvOr(const char* name, const std::string& fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : fallback;
}

std::vector<std::string> Arguments(const SmtpServerOptions& o, const std::string& dir) {
  std::vector<std::string> args = {
      EnvOr("VELLUMO_PYTHON", "/usr/bin/python3"),
      EnvOr("VELLUMO_TEST_SCRIPTS", "tests/e2e") + "/smtp_server.py",
      "--dir", dir, "--lifetime", std::to_string(o.LifetimeSeconds)};
  if (o.Tls != ServerTls::None) {
    args.insert(args.end(), {"--tls", o.Tls == ServerTls::Implicit ? "implicit" : "starttls",
                             "--cert", o.CertFile, "--key", o.KeyFile});
  }
  if (o.RequireStartTls) args.push_back("--require-starttls");
  if (!o.AuthUser.empty()) {
    args.insert(args.end(), {"--auth-user", o.AuthUser, "--auth-password", o.AuthPassword});
  }
  if (o.AuthRequired) args.push_back("--auth-required");
  if (!o.RefuseRecipientPattern.empty()) {
    args.insert(args.end(), {"--refuse-rcpt", o.RefuseRecipientPattern, "--refuse-code",
                             std::to_string(o.RefuseCode), "--refuse-text", o.RefuseText});
  }
  if (o.IdleDropSeconds > 0) {
    args.insert(args.end(), {"--idle-timeout", std::to_string(o.IdleDropSeconds)});
  }
  if (o.NeverGreet) args.push_back("--never-greet");
  if (o.MaxMessageBytes > 0) {
    args.insert(args.end(), {"--max-size", std::to_string(o.MaxMessageBytes)});
  }
  return args;
}

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

std::string ReceivedMessage::Bytes() const { return ReadFileBytes(Path); }

SmtpTestServer::SmtpTestServer(const SmtpServerOptions& options) {
  const std::vector<std::string> args = Arguments(options, dir_.Path().string());
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
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
    throw std::runtime_error("cannot start " + args[0] + " " + args[1]);
  }

  const std::string line = ReadLine(out[0], 15000);
  close(out[0]);
  if (line.rfind("PORT ", 0) != 0) {
    Stop();
    throw std::runtime_error("the test SMTP server did not start (" + args[1] + ")");
  }
  port_ = static_cast<std::uint16_t>(std::stoi(line.substr(5)));
}

SmtpTestServer::~SmtpTestServer() { Stop(); }

void SmtpTestServer::Stop() {
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
    Pause();
  }
  kill(pid_, SIGKILL);
  waitpid(pid_, &status, 0);
  pid_ = -1;
}

void SmtpTestServer::Pause() { std::this_thread::sleep_for(std::chrono::milliseconds(20)); }

std::vector<std::string> SmtpTestServer::Lines(const std::string& name) const {
  std::vector<std::string> lines;
  std::ifstream file(dir_.Path() / name);
  for (std::string line; std::getline(file, line);) lines.push_back(line);
  return lines;
}

int SmtpTestServer::ConnectionCount() const {
  return static_cast<int>(Lines("connections.log").size());
}

std::vector<std::string> SmtpTestServer::Commands() const { return Lines("commands.log"); }

std::vector<ReceivedMessage> SmtpTestServer::Messages() const {
  std::vector<std::filesystem::path> envelopes;
  for (const auto& entry : std::filesystem::directory_iterator(dir_.Path())) {
    if (entry.path().extension() == ".env") envelopes.push_back(entry.path());
  }
  std::sort(envelopes.begin(), envelopes.end());
  std::vector<ReceivedMessage> messages;
  for (const auto& envelope : envelopes) {
    ReceivedMessage message;
    message.Path = std::filesystem::path(envelope).replace_extension(".eml").string();
    for (const std::string& line : Lines(envelope.filename().string())) {
      if (line.rfind("MAIL FROM:", 0) == 0) message.MailFrom = line.substr(10);
      if (line.rfind("RCPT TO:", 0) == 0) message.Recipients.push_back(line.substr(8));
    }
    messages.push_back(std::move(message));
  }
  return messages;
}

}  // namespace vellumo::testing
