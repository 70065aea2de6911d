// Which endpoint, grant and scope an OAuth account asks for, and the form.
#include "smtp/OAuthTokenRequest.h"

#include <gtest/gtest.h>

#include "smtp/SmtpFailure.h"

namespace vellumo {
namespace {

struct Row {
  const char* name;
  OAuthSettings oauth;
  const char* url;  // "" when the request cannot be made
  OAuthGrant grant;
  const char* scope;
  SmtpFailureKind failure;  // when url is ""
};

OAuthSettings Settings(const char* provider, const char* refreshToken, const char* tenant = "",
                       const char* url = "", const char* scope = "") {
  OAuthSettings oauth;
  oauth.Provider = provider;
  oauth.Tenant = tenant;
  oauth.ClientId = "app";
  oauth.ClientSecret = "secret";
  oauth.RefreshToken = refreshToken;
  oauth.TokenUrl = url;
  oauth.Scope = scope;
  return oauth;
}

constexpr auto kRefresh = OAuthGrant::RefreshToken;
constexpr auto kAppOnly = OAuthGrant::ClientCredentials;
constexpr auto kNone = SmtpFailureKind::TransferFailed;

const Row kRows[] = {
    {"microsoft_delegated_default_tenant", Settings("microsoft", "r"),
     "https://login.microsoftonline.com/organizations/oauth2/v2.0/token", kRefresh,
     "https://outlook.office.com/SMTP.Send offline_access", kNone},
    {"microsoft_app_only_in_a_tenant", Settings("Microsoft", "", "contoso.onmicrosoft.com"),
     "https://login.microsoftonline.com/contoso.onmicrosoft.com/oauth2/v2.0/token", kAppOnly,
     "https://outlook.office365.com/.default", kNone},
    {"google", Settings("google", "r"), "https://oauth2.googleapis.com/token", kRefresh,
     "https://mail.google.com/", kNone},
    {"google_has_no_app_only_mail", Settings("google", ""), "", kAppOnly, "",
     SmtpFailureKind::OAuthNoClientCredentials},
    {"own_endpoint_and_scope", Settings("", "r", "", "HTTPS://id.exemple.fr/token", "mail"),
     "HTTPS://id.exemple.fr/token", kRefresh, "mail", kNone},
    {"own_endpoint_without_scope", Settings("", "r", "", "https://id.exemple.fr/token"),
     "https://id.exemple.fr/token", kRefresh, "", kNone},
    {"endpoint_in_clear", Settings("microsoft", "r", "", "http://id.exemple.fr/token"), "",
     kRefresh, "", SmtpFailureKind::OAuthEndpointNotHttps},
    {"no_provider_no_endpoint", Settings("", "r"), "", kRefresh, "",
     SmtpFailureKind::OAuthProviderUnknown},
    {"unknown_provider", Settings("yahoo", "r"), "", kRefresh, "",
     SmtpFailureKind::OAuthProviderUnknown},
};

class TokenRequestTable : public ::testing::TestWithParam<Row> {};

TEST_P(TokenRequestTable, EndpointGrantAndScope) {
  const Row& row = GetParam();
  if (std::string(row.url).empty()) {
    try {
      TokenRequestFor(row.oauth);
      FAIL() << "no failure";
    } catch (const SmtpFailure& failure) {
      EXPECT_EQ(failure.Kind(), row.failure);
    }
    return;
  }
  const OAuthTokenRequest request = TokenRequestFor(row.oauth);
  EXPECT_EQ(request.Url, row.url);
  EXPECT_EQ(request.Grant, row.grant);
  EXPECT_EQ(request.Scope, row.scope);
}

INSTANTIATE_TEST_SUITE_P(Providers, TokenRequestTable, ::testing::ValuesIn(kRows),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(OAuthTokenRequest, FormCarriesEveryValueEncoded) {
  OAuthTokenRequest request;
  request.ClientId = "a b";
  request.ClientSecret = "x+y/z=&é~";
  request.Scope = "https://outlook.office.com/SMTP.Send offline_access";
  EXPECT_EQ(request.FormBody("0.A&r=1"),
            "grant_type=refresh_token&refresh_token=0.A%26r%3D1&client_id=a+b"
            "&client_secret=x%2By%2Fz%3D%26%C3%A9~"
            "&scope=https%3A%2F%2Foutlook.office.com%2FSMTP.Send+offline_access");
  request.Grant = OAuthGrant::ClientCredentials;
  request.ClientSecret.clear();
  request.Scope.clear();
  EXPECT_EQ(request.FormBody("unused"), "grant_type=client_credentials&client_id=a+b");
}

}  // namespace
}  // namespace vellumo
