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

std::vector<std::string> Arguments(const SmtpServerOptions& o, const std::string& dir) {
  std::vector<std::string> args = {
      TestScript("smtp_server.py"),
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
  if (!o.LoginRefusal.empty()) args.insert(args.end(), {"--login-refusal", o.LoginRefusal});
  if (!o.OAuthUser.empty()) {
    args.insert(args.end(), {"--oauth-user", o.OAuthUser, "--oauth-tokens", o.OAuthTokensFile});
  }
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
  if (o.OfferSmtpUtf8) args.push_back("--smtputf8");
  return args;
}

}  // namespace

std::string ReceivedMessage::Bytes() const { return ReadFileBytes(Path); }

SmtpTestServer::SmtpTestServer(const SmtpServerOptions& options) {
  process_.Start(Arguments(options, dir_.Path().string()), "the test SMTP server");
}

SmtpTestServer::~SmtpTestServer() { Stop(); }

void SmtpTestServer::Stop() { process_.Stop(); }

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
      if (line.rfind("MAIL PARAMETERS:", 0) == 0) message.MailParameters = line.substr(16);
      if (line.rfind("RCPT TO:", 0) == 0) message.Recipients.push_back(line.substr(8));
    }
    messages.push_back(std::move(message));
  }
  return messages;
}

}  // namespace vellumo::testing
