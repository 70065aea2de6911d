#pragma once
// An OAuth token endpoint over HTTPS (tests/e2e/token_server.py) on
// 127.0.0.1 at an ephemeral port, with a certificate of the test CA. It
// logs each request without its secrets and lists the tokens it issued.
#include <string>
#include <vector>

#include "e2e/ServerProcess.h"
#include "fakes/TempDirectory.h"

namespace vellumo::testing {

struct TokenServerOptions {
  std::string CertFile;
  std::string KeyFile;
  std::string ClientId = "vellumo-app";
  std::string ClientSecret;
  std::string RefreshToken;  // the first valid one
  bool Rotate = false;       // a refresh token works once and is replaced
  int ExpiresIn = 3600;
};

class TokenTestServer {
 public:
  explicit TokenTestServer(const TokenServerOptions& options);

  std::uint16_t Port() const { return process_.Port(); }
  // An endpoint URL on this server, Microsoft's path for tenant "contoso".
  std::string Url() const;
  // "grant=... scope=... secret=yes|no refresh=<generation>|none" per request.
  std::vector<std::string> Requests() const;
  // The file of "access <token>" and "refresh <token>" lines.
  std::string IssuedFile() const { return (dir_.Path() / "issued").string(); }
  // The tokens it issued, in order: of `kind` ("access", "refresh"), or all.
  std::vector<std::string> IssuedTokens(const std::string& kind = "") const;
  void Stop() { process_.Stop(); }

 private:
  std::vector<std::string> Lines(const std::string& name) const;

  TempDirectory dir_;
  ServerProcess process_;  // after dir_: stopped before its folder goes
};

}  // namespace vellumo::testing
