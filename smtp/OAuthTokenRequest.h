#pragma once
// What an OAuth account asks of its token endpoint: where, with which
// grant and scope, and the form that goes with it. Worked out from the
// account's settings before any network work.
#include <string>

#include "smtp/SmtpAccount.h"

namespace vellumo {

enum class OAuthGrant { RefreshToken, ClientCredentials };

struct OAuthTokenRequest {
  std::string Url;
  OAuthGrant Grant = OAuthGrant::RefreshToken;
  std::string Scope;  // empty: none is sent
  std::string ClientId;
  std::string ClientSecret;  // empty: none is sent

  // The form of the request, URL-encoded; `refreshToken` is used by the
  // refresh-token grant only.
  std::string FormBody(const std::string& refreshToken) const;
};

// The request for `oauth`: the refresh-token grant when a refresh token is
// given, else the client-credentials grant. The provider sets the endpoint
// and scope unless TokenUrl and Scope override them. Throws SmtpFailure:
// OAuthProviderUnknown, OAuthEndpointNotHttps, OAuthNoClientCredentials.
OAuthTokenRequest TokenRequestFor(const OAuthSettings& oauth);

// `text` encoded for an application/x-www-form-urlencoded body.
std::string FormEncoded(const std::string& text);

}  // namespace vellumo
