#pragma once
// Refresh tokens that token endpoints returned, kept for the user between
// runs in a secret file (never in the host's INI file). Providers replace
// a refresh token when it is used, and each lasts a limited time: the
// newest one must be used next time.
//
// An entry belongs to one endpoint, client id and mailbox, and remembers
// the refresh token the INI file gave when it was made: once the host
// gives another one, the host's wins.
#include <optional>
#include <string>

namespace vellumo {

class SecretFile;

struct RefreshTokenKey {
  std::string Endpoint;
  std::string ClientId;
  std::string Mailbox;
};

class RefreshTokenCache {
 public:
  explicit RefreshTokenCache(SecretFile& file) : file_(file) {}

  // The token kept for `key` while the INI file still gives `given`.
  std::optional<std::string> Find(const RefreshTokenKey& key, const std::string& given);
  // Keeps `token` for `key`, made from `given`; `token` empty forgets the
  // entry. False when the file could not be written.
  bool Store(const RefreshTokenKey& key, const std::string& given, const std::string& token);

 private:
  SecretFile& file_;
};

}  // namespace vellumo
