#pragma once
// A scripted, misbehaving SMTP server (tests/e2e/fault_server.py) for the
// fault matrix: started on 127.0.0.1 at an ephemeral port with one case,
// stopped by the destructor. What it saw is read back from its JSON
// transcript once it has stopped.
#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "e2e/ServerProcess.h"
#include "fakes/TempDirectory.h"

namespace vellumo::testing {

struct FaultLogin {
  std::string Mechanism;
  std::string Username;
  std::string Password;
};

struct FaultMessage {
  std::string MailFrom;
  std::vector<std::string> Recipients;  // the accepted ones
  bool Complete = false;                // the final "." arrived
  bool Accepted = false;                // and the server said 2xx to it
  std::optional<long long> SizeParameter;  // SIZE= of its MAIL command
  std::string Bytes;                    // after dot-unstuffing
};

struct FaultConnection {
  int Number = 0;
  // Command lines as received, AUTH without its credentials; "<tls>" where
  // TLS began.
  std::vector<std::string> Commands;
  std::vector<FaultLogin> Logins;
  std::vector<FaultMessage> Messages;
  std::string ClosedBy;  // "server" or "client"

  // Index of the first command starting with `prefix` (case-insensitive),
  // or -1.
  int IndexOf(const std::string& prefix) const;
};

struct FaultTranscript {
  std::vector<FaultConnection> Connections;

  std::vector<FaultMessage> AcceptedMessages() const;
  // Commands starting with `prefix`, over all connections.
  int CountOf(const std::string& prefix) const;
};

// Self-signed certificate for 127.0.0.1 and localhost, made once per test
// process with the openssl command.
struct FaultCertificate {
  std::string CertFile;
  std::string KeyFile;
  static const FaultCertificate& Get();
};

class FaultServer {
 public:
  // `caseMembers`: the members of the case object, without braces (see
  // fault_server.py). The certificate and the transcript path are added
  // here. Throws std::runtime_error when the server does not start.
  explicit FaultServer(const std::string& caseMembers);
  ~FaultServer();
  FaultServer(const FaultServer&) = delete;
  FaultServer& operator=(const FaultServer&) = delete;

  std::uint16_t Port() const { return process_.Port(); }
  // Ends the server and waits for it; idempotent.
  void Stop();
  // Stops the server, then reads its transcript.
  FaultTranscript Transcript();
  // What the server has recorded so far, while it runs.
  FaultTranscript Snapshot() const;

 private:
  TempDirectory dir_;
  ServerProcess process_;  // after dir_: stopped before its folder goes
};

}  // namespace vellumo::testing
