#pragma once
// The access token an OAuth account logs in with, for one run: the one the
// host gave, or one obtained from the token endpoint and kept in memory
// until it expires. A refresh token the endpoint returns is kept in the
// user's cache and preferred to the INI file's on later runs.
#include <chrono>
#include <string>

#include "smtp/NetworkWaitObserver.h"
#include "smtp/OAuthTokenRequest.h"
#include "smtp/RefreshTokenCache.h"
#include "smtp/SmtpAccount.h"
#include "smtp/curl/CurlSmtpOptions.h"

namespace vellumo {

class OAuthAccessToken {
 public:
  OAuthAccessToken(const SmtpAccount& account, const CurlSmtpOptions& options);
  ~OAuthAccessToken();
  OAuthAccessToken(const OAuthAccessToken&) = delete;
  OAuthAccessToken& operator=(const OAuthAccessToken&) = delete;

  // The token for a new login: the one in hand unless it has expired, else
  // a new one from the endpoint. Throws SmtpFailure.
  const std::string& ForNewLogin(NetworkWaitObserver* observer);
  // The token of the last login; empty before the first.
  const std::string& Current() const { return token_; }

 private:
  void Obtain(NetworkWaitObserver* observer);
  // One request with `refreshToken` (the refresh-token grant) or none.
  void Request(const OAuthTokenRequest& request, const std::string& refreshToken,
               NetworkWaitObserver* observer);

  OAuthSettings oauth_;
  std::string mailbox_;
  CurlSmtpOptions options_;
  std::string token_;
  std::string newRefreshToken_;  // from the last answer, when it gave one
  // When the token in hand should no longer be used for a new login.
  std::chrono::steady_clock::time_point expires_ = std::chrono::steady_clock::time_point::max();
};

}  // namespace vellumo
