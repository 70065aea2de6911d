#include "smtp/OAuthTokenRequest.h"

#include <utility>

#include "smtp/SmtpFailure.h"

namespace vellumo {
namespace {

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

[[noreturn]] void Fail(SmtpFailureKind kind, const OAuthSettings& oauth) {
  SmtpFailureDetails details;
  details.Kind = kind;
  details.OAuthProvider = oauth.Provider;
  details.Url = oauth.TokenUrl;
  throw SmtpFailure(std::move(details));
}

}  // namespace

std::string FormEncoded(const std::string& text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
        (byte >= '0' && byte <= '9') || c == '-' || c == '.' || c == '_' || c == '~') {
      encoded += c;
    } else if (c == ' ') {
      encoded += '+';
    } else {
      encoded += '%';
      encoded += kHex[byte >> 4];
      encoded += kHex[byte & 0xF];
    }
  }
  return encoded;
}

std::string OAuthTokenRequest::FormBody(const std::string& refreshToken) const {
  std::string body;
  const auto add = [&body](const char* name, const std::string& value) {
    if (!body.empty()) body += '&';
    body += name;
    body += '=';
    body += FormEncoded(value);
  };
  if (Grant == OAuthGrant::RefreshToken) {
    add("grant_type", "refresh_token");
    add("refresh_token", refreshToken);
  } else {
    add("grant_type", "client_credentials");
  }
  add("client_id", ClientId);
  if (!ClientSecret.empty()) add("client_secret", ClientSecret);
  if (!Scope.empty()) add("scope", Scope);
  return body;
}

OAuthTokenRequest TokenRequestFor(const OAuthSettings& oauth) {
  OAuthTokenRequest request;
  request.Grant =
      oauth.RefreshToken.empty() ? OAuthGrant::ClientCredentials : OAuthGrant::RefreshToken;
  request.ClientId = oauth.ClientId;
  request.ClientSecret = oauth.ClientSecret;
  const bool appOnly = request.Grant == OAuthGrant::ClientCredentials;

  const std::string provider = Lower(oauth.Provider);
  if (provider == "microsoft") {
    const std::string tenant = oauth.Tenant.empty() ? "organizations" : oauth.Tenant;
    request.Url = "https://login.microsoftonline.com/" + FormEncoded(tenant) + "/oauth2/v2.0/token";
    // App-only sending has its own resource scope; delegated sending asks
    // for a refresh token too.
    request.Scope = appOnly ? "https://outlook.office365.com/.default"
                            : "https://outlook.office.com/SMTP.Send offline_access";
  } else if (provider == "google") {
    // Google gives mail access to a user's consent only.
    if (appOnly) Fail(SmtpFailureKind::OAuthNoClientCredentials, oauth);
    request.Url = "https://oauth2.googleapis.com/token";
    request.Scope = "https://mail.google.com/";
  } else if (oauth.TokenUrl.empty()) {
    Fail(SmtpFailureKind::OAuthProviderUnknown, oauth);
  }
  if (!oauth.TokenUrl.empty()) {
    if (Lower(oauth.TokenUrl.substr(0, 8)) != "https://") {
      Fail(SmtpFailureKind::OAuthEndpointNotHttps, oauth);
    }
    request.Url = oauth.TokenUrl;
  }
  if (!oauth.Scope.empty()) request.Scope = oauth.Scope;
  return request;
}

}  // namespace vellumo
