#pragma once
// The SMTP account of section ConfigMail, read once from the document:
// where to connect, whether to log in, how to use TLS. A value: the client
// is made for one account and never changes it.
#include <cstdint>
#include <optional>
#include <string>

namespace vellumo {

class IniDocument;

enum class TlsMode : std::uint8_t {
  utNoTLSSupport = 0,    // clear text only
  utUseImplicitTLS = 1,  // TLS from the first byte (smtps)
  utUseRequireTLS = 2,   // STARTTLS, failing when not offered
  utUseExplicitTLS = 3,  // STARTTLS when offered, clear otherwise
};

// OAuth 2.0 login: where the access token comes from. Values as given in
// the file; the secrets among them never go into any text.
struct OAuthSettings {
  std::string Provider;  // "microsoft", "google", or empty with TokenUrl
  std::string Tenant;    // Microsoft's directory
  std::string ClientId;
  std::string ClientSecret;
  std::string RefreshToken;
  std::string AccessToken;  // obtained by the host itself
  std::string TokenUrl;     // overrides the provider's endpoint
  std::string Scope;        // overrides the provider's scope
  std::string Proxy;        // for the token request only
};

class SmtpAccount {
 public:
  // No host and no port: not usable.
  SmtpAccount() = default;

  const std::string& Host() const { return host_; }
  std::uint16_t Port() const { return port_; }
  // Empty unless SmtpAuth is on; a non-empty login means: log in. With
  // OAuth the login is the mailbox and there is no password.
  const std::string& Login() const { return login_; }
  const std::string& Password() const { return password_; }
  // Logs in with an OAuth access token (SmtpAuth and SmtpOAuth on).
  bool UsesOAuth() const { return oauthEnabled_; }
  const OAuthSettings& OAuth() const { return oauth_; }
  bool AuthEnabled() const { return authEnabled_; }
  bool TlsEnabled() const { return tlsEnabled_; }
  // The mode as given (low 8 bits), 0 when TLS is off.
  std::uint8_t RawTlsMode() const { return rawTlsMode_; }
  // The mode in use: clear text when TLS is off; nothing when the given
  // mode is none of the four.
  std::optional<TlsMode> Tls() const;
  // Whether the server's certificate and host name are checked.
  bool VerifiesCertificate() const { return verifyCertificate_; }

  // A host, a port given, a complete login when asked for, a known TLS mode.
  // An OAuth login is complete with the mailbox and either an access token
  // or a client id with a refresh token or a secret.
  bool IsValid() const;

 private:
  friend SmtpAccount AccountFromIni(const IniDocument& ini);

  std::string host_;
  std::uint16_t port_ = 65535;  // what the default -1 becomes
  bool authEnabled_ = false;
  std::string login_;
  std::string password_;
  bool oauthEnabled_ = false;
  OAuthSettings oauth_;
  bool tlsEnabled_ = false;
  std::uint8_t rawTlsMode_ = 0;
  bool verifyCertificate_ = true;
};

// Reads section ConfigMail. The port keeps the low 16 bits of the number
// (-1, the default, becomes 65535: no port); the login and password are read
// only when SmtpAuth is on, and with SmtpOAuth on the OAuth keys instead of
// the password; the TLS mode (low 8 bits) and the certificate
// check only when UseSmtpTLS is on.
SmtpAccount AccountFromIni(const IniDocument& ini);

}  // namespace vellumo
