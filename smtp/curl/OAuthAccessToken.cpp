#include "smtp/curl/OAuthAccessToken.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "platform/SecretFile.h"
#include "smtp/OAuthTokenAnswer.h"
#include "smtp/SmtpFailure.h"
#include "smtp/curl/CurlTokenFetch.h"

namespace vellumo {
namespace {

using Clock = std::chrono::steady_clock;

// A token this close to its end may lapse during the login.
constexpr std::chrono::seconds kExpiryMargin{60};

void Wipe(std::string& secret) {
  std::fill(secret.begin(), secret.end(), '\0');
  secret.clear();
}

// What the endpoint said may quote what it was sent.
void RemoveSecrets(std::string& text, const std::vector<std::string>& secrets) {
  for (const std::string& secret : secrets) {
    if (secret.size() < 4) continue;
    for (std::size_t at = text.find(secret); at != std::string::npos; at = text.find(secret, at)) {
      text.replace(at, secret.size(), "…");
    }
  }
}

}  // namespace

OAuthAccessToken::OAuthAccessToken(const SmtpAccount& account, const CurlSmtpOptions& options)
    : oauth_(account.OAuth()), mailbox_(account.Login()), options_(options) {}

OAuthAccessToken::~OAuthAccessToken() {
  Wipe(token_);
  Wipe(newRefreshToken_);
  Wipe(oauth_.AccessToken);
  Wipe(oauth_.RefreshToken);
  Wipe(oauth_.ClientSecret);
}

const std::string& OAuthAccessToken::ForNewLogin(NetworkWaitObserver* observer) {
  if (!oauth_.AccessToken.empty()) {
    token_ = oauth_.AccessToken;  // the host's; its life is the host's business
  } else if (token_.empty() || Clock::now() + kExpiryMargin >= expires_) {
    Obtain(observer);
  }
  return token_;
}

void OAuthAccessToken::Obtain(NetworkWaitObserver* observer) {
  const OAuthTokenRequest request = TokenRequestFor(oauth_);
  if (request.Grant == OAuthGrant::ClientCredentials) {
    Request(request, {}, observer);
    return;
  }
  const std::unique_ptr<SecretFile> file = UserOAuthTokenFile();
  RefreshTokenCache cache(*file);
  const RefreshTokenKey key{request.Url, oauth_.ClientId, mailbox_};
  const std::optional<std::string> cached = cache.Find(key, oauth_.RefreshToken);
  std::string used = cached.value_or(oauth_.RefreshToken);
  try {
    Request(request, used, observer);
  } catch (const SmtpFailure& failure) {
    // A cached token that was revoked or has lapsed: the INI file's may
    // still be good.
    if (!cached || failure.Details().OAuthError != "invalid_grant") throw;
    cache.Store(key, oauth_.RefreshToken, {});
    used = oauth_.RefreshToken;
    Request(request, used, observer);
  }
  // Providers that replace the refresh token on use want the new one next
  // time. A cache that cannot be written costs nothing now: the token
  // used stays valid for a while.
  if (!newRefreshToken_.empty() && newRefreshToken_ != used) {
    cache.Store(key, oauth_.RefreshToken, newRefreshToken_);
  }
  Wipe(used);
}

void OAuthAccessToken::Request(const OAuthTokenRequest& request, const std::string& refreshToken,
                               NetworkWaitObserver* observer) {
  CurlTokenFetch fetch(options_, request.Url, oauth_.Proxy);
  std::string form = request.FormBody(refreshToken);
  const std::vector<std::string> secrets = {oauth_.ClientSecret, refreshToken};
  // The token's life counts from the request on.
  const Clock::time_point asked = Clock::now();
  try {
    TokenEndpointAnswer answer = fetch.Post(form, observer);
    Wipe(form);
    OAuthToken token = ReadTokenAnswer(answer.HttpStatus, answer.Body, fetch.Context());
    Wipe(answer.Body);
    Wipe(token_);
    token_ = std::move(token.AccessToken);
    Wipe(newRefreshToken_);
    newRefreshToken_ = std::move(token.RefreshToken);
    expires_ = token.Lifetime ? asked + *token.Lifetime : Clock::time_point::max();
  } catch (const SmtpFailure& failure) {
    Wipe(form);
    SmtpFailureDetails details = failure.Details();
    RemoveSecrets(details.OAuthErrorDescription, secrets);
    RemoveSecrets(details.OAuthError, secrets);
    RemoveSecrets(details.Detail, secrets);
    throw SmtpFailure(std::move(details));
  }
}

}  // namespace vellumo
