#include "smtp/SmtpAccount.h"

#include "config/IniDocument.h"
#include "config/IniKeys.h"

namespace vellumo {
namespace {

constexpr std::uint16_t kNoPortGiven = 65535;
constexpr std::uint8_t kHighestTlsMode = 3;

}  // namespace

std::optional<TlsMode> SmtpAccount::Tls() const {
  if (rawTlsMode_ > kHighestTlsMode) return std::nullopt;
  return static_cast<TlsMode>(rawTlsMode_);
}

bool SmtpAccount::IsValid() const {
  if (host_.empty()) return false;
  if (port_ == kNoPortGiven) return false;
  if (authEnabled_ && (login_.empty() || password_.empty())) return false;
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
    account.password_ = ini.ReadString(keys::kAccount, keys::kPassword, "");
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
