#include "smtp/SmtpAccount.h"

#include "config/IniDocument.h"
#include "config/IniKeys.h"

namespace vellumo {
namespace {

constexpr std::uint16_t kNoPortGiven = 65535;
constexpr std::uint8_t kHighestTlsMode = 3;

OAuthSettings ReadOAuth(const IniDocument& ini) {
  const auto read = [&ini](const char* key, const char* defaultValue = "") {
    return ini.ReadString(keys::kAccount, key, defaultValue);
  };
  OAuthSettings oauth;
  oauth.Provider = read(keys::kOAuthProvider);
  oauth.Tenant = read(keys::kOAuthTenant, keys::kOAuthTenantDefault);
  oauth.ClientId = read(keys::kOAuthClientId);
  oauth.ClientSecret = read(keys::kOAuthClientSecret);
  oauth.RefreshToken = read(keys::kOAuthRefreshToken);
  oauth.AccessToken = read(keys::kOAuthAccessToken);
  oauth.TokenUrl = read(keys::kOAuthTokenUrl);
  oauth.Scope = read(keys::kOAuthScope);
  oauth.Proxy = read(keys::kOAuthProxy);
  return oauth;
}

}  // namespace

std::optional<TlsMode> SmtpAccount::Tls() const {
  if (rawTlsMode_ > kHighestTlsMode) return std::nullopt;
  return static_cast<TlsMode>(rawTlsMode_);
}

bool SmtpAccount::IsValid() const {
  if (host_.empty()) return false;
  if (port_ == kNoPortGiven) return false;
  if (authEnabled_ && oauthEnabled_) {
    if (login_.empty()) return false;
    const bool grant =
        !oauth_.ClientId.empty() && (!oauth_.RefreshToken.empty() || !oauth_.ClientSecret.empty());
    if (oauth_.AccessToken.empty() && !grant) return false;
  } else if (authEnabled_ && (login_.empty() || password_.empty())) {
    return false;
  }
  if (!Tls()) return false;
  return true;
}

SmtpAccount AccountFromIni(const IniDocument& ini) {
  SmtpAccount account;
  account.host_ = ini.ReadString(keys::kAccount, keys::kHost, "");
  const std::int32_t port = ini.ReadInteger(keys::kAccount, keys::kPort, keys::kPortDefault);
  account.port_ = static_cast<std::uint16_t>(static_cast<std::uint32_t>(port) & 0xFFFFu);
  if (ini.ReadBool(keys::kAccount, keys::kAuth, keys::kAuthDefault)) {
    account.authEnabled_ = true;
    account.login_ = ini.ReadString(keys::kAccount, keys::kLogin, "");
    if (ini.ReadBool(keys::kAccount, keys::kOAuth, keys::kOAuthDefault)) {
      account.oauthEnabled_ = true;
      account.oauth_ = ReadOAuth(ini);
    } else {
      account.password_ = ini.ReadString(keys::kAccount, keys::kPassword, "");
    }
  }
  if (ini.ReadBool(keys::kAccount, keys::kUseTls, keys::kUseTlsDefault)) {
    account.tlsEnabled_ = true;
    const std::int32_t mode =
        ini.ReadInteger(keys::kAccount, keys::kTlsMode, keys::kTlsModeDefault);
    account.rawTlsMode_ = static_cast<std::uint8_t>(static_cast<std::uint32_t>(mode) & 0xFFu);
    // Certificates are checked unless the host explicitly opts out.
    account.verifyCertificate_ =
        ini.ReadBool(keys::kAccount, keys::kVerifyCertificate, keys::kVerifyCertificateDefault);
  }
  return account;
}

}  // namespace vellumo
