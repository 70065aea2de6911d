#include "e2e/TokenTestServer.h"

#include <fstream>

namespace vellumo::testing {

TokenTestServer::TokenTestServer(const TokenServerOptions& o) {
  std::vector<std::string> args = {TestScript("token_server.py"),
                                   "--dir",
                                   dir_.Path().string(),
                                   "--cert",
                                   o.CertFile,
                                   "--key",
                                   o.KeyFile,
                                   "--client-id",
                                   o.ClientId,
                                   "--expires-in",
                                   std::to_string(o.ExpiresIn)};
  if (!o.ClientSecret.empty()) args.insert(args.end(), {"--client-secret", o.ClientSecret});
  if (!o.RefreshToken.empty()) args.insert(args.end(), {"--refresh-token", o.RefreshToken});
  if (o.Rotate) args.push_back("--rotate");
  process_.Start(args, "the test token endpoint");
}

std::string TokenTestServer::Url() const {
  return "https://127.0.0.1:" + std::to_string(Port()) + "/contoso/oauth2/v2.0/token";
}

std::vector<std::string> TokenTestServer::Lines(const std::string& name) const {
  std::vector<std::string> lines;
  std::ifstream file(dir_.Path() / name);
  for (std::string line; std::getline(file, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> TokenTestServer::Requests() const { return Lines("requests.log"); }

std::vector<std::string> TokenTestServer::IssuedTokens(const std::string& kind) const {
  std::vector<std::string> tokens;
  for (const std::string& line : Lines("issued")) {
    const std::size_t space = line.find(' ');
    if (kind.empty() || line.substr(0, space) == kind) tokens.push_back(line.substr(space + 1));
  }
  return tokens;
}

}  // namespace vellumo::testing
