#pragma once
// A real SMTP server (aiosmtpd, tests/e2e/smtp_server.py) for end-to-end
// tests: started on 127.0.0.1 at an ephemeral port by the constructor,
// stopped by the destructor. It records what it receives in its own
// temporary folder, read back here.
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "e2e/ServerProcess.h"
#include "fakes/TempDirectory.h"

namespace vellumo::testing {

enum class ServerTls { None, Implicit, StartTls };

struct SmtpServerOptions {
  ServerTls Tls = ServerTls::None;
  // PEM files for Implicit and StartTls.
  std::string CertFile;
  std::string KeyFile;
  // Refuse every command but EHLO/NOOP/QUIT before STARTTLS.
  bool RequireStartTls = false;
  // Login offered when AuthUser is set; accepted for this pair only.
  std::string AuthUser;
  std::string AuthPassword;
  // Every password login refused with this reply (e.g. "535 5.7.139 ...").
  std::string LoginRefusal;
  // XOAUTH2 offered too, for this mailbox, accepting the access tokens
  // listed in this file (as the test token endpoint writes it).
  std::string OAuthUser;
  std::string OAuthTokensFile;
  // MAIL refused with 530 until logged in.
  bool AuthRequired = false;
  // Recipients matching this (Python) regular expression are refused.
  std::string RefuseRecipientPattern;
  int RefuseCode = 550;
  std::string RefuseText = "5.1.1 User unknown";
  // Closes a connection idle for this long; 0: never.
  double IdleDropSeconds = 0;
  // Accepts connections and never sends the greeting.
  bool NeverGreet = false;
  // Largest message accepted, announced with SIZE; 0: no limit.
  long long MaxMessageBytes = 0;
  // Offers SMTPUTF8 and reads commands as UTF-8; otherwise strict ASCII.
  bool OfferSmtpUtf8 = false;
  // The server ends by itself after this long, whatever happens.
  int LifetimeSeconds = 120;
};

struct ReceivedMessage {
  std::string MailFrom;
  std::string MailParameters;  // upper case, e.g. "SMTPUTF8"; empty when none
  std::vector<std::string> Recipients;
  std::string Path;  // raw message bytes as received
  std::string Bytes() const;
};

class SmtpTestServer {
 public:
  // Starts the server and waits for its port; throws std::runtime_error.
  explicit SmtpTestServer(const SmtpServerOptions& options = {});
  ~SmtpTestServer();
  SmtpTestServer(const SmtpTestServer&) = delete;
  SmtpTestServer& operator=(const SmtpTestServer&) = delete;

  std::uint16_t Port() const { return process_.Port(); }
  // Messages completely received so far, in arrival order.
  std::vector<ReceivedMessage> Messages() const;
  // TCP connections accepted so far.
  int ConnectionCount() const;
  // Command verbs received so far, in order, as "<connection> <VERB>"
  // (e.g. "1 EHLO"); arguments are never recorded.
  std::vector<std::string> Commands() const;
  // Polls `done` every 20 ms until it is true or `timeout` passes.
  template <typename Predicate>
  bool WaitUntil(Predicate done, std::chrono::milliseconds timeout = std::chrono::seconds(5)) const;
  // Ends the server and waits for it; idempotent.
  void Stop();
  // Where the server writes its files (messages, logs).
  const std::filesystem::path& Directory() const { return dir_.Path(); }

 private:
  std::vector<std::string> Lines(const std::string& name) const;
  static void Pause();

  TempDirectory dir_;
  ServerProcess process_;  // after dir_: stopped before its folder goes
};

template <typename Predicate>
bool SmtpTestServer::WaitUntil(Predicate done, std::chrono::milliseconds timeout) const {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    Pause();
  }
  return true;
}

}  // namespace vellumo::testing
