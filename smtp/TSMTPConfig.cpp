#include "smtp/TSMTPConfig.h"

namespace vellumo {

namespace {
constexpr std::uint16_t kNoPortGiven = 65535;  // what the default -1 becomes
constexpr std::uint8_t kHighestTlsMode = 3;
}  // namespace

TSMTPConfig::TSMTPConfig(SmtpClientFactory& factory) : SMTP(factory.CreateClient()) {}

void TSMTPConfig::SetHost(const std::string& host) { SMTP->Host = host; }

void TSMTPConfig::SetPort(std::int32_t port) {
  SMTP->Port = static_cast<std::uint16_t>(static_cast<std::uint32_t>(port) & 0xFFFFu);
}

void TSMTPConfig::SetAuth(bool enabled) { AuthEnabled = enabled; }

void TSMTPConfig::SetLogin(const std::string& login) {
  if (AuthEnabled) SMTP->Username = login;
}

void TSMTPConfig::SetPassword(const std::string& password) {
  if (AuthEnabled) SMTP->Password = password;
}

void TSMTPConfig::SetTLS(bool enabled) { TLSEnabled = enabled; }

void TSMTPConfig::SetTLSMode(std::int32_t mode) {
  if (!TLSEnabled) return;
  SMTP->InstallTlsHandler();
  SMTP->UseTLS = static_cast<std::uint8_t>(static_cast<std::uint32_t>(mode) & 0xFFu);
}

void TSMTPConfig::SetVerifyCertificate(bool verify) {
  if (TLSEnabled) SMTP->VerifyCertificate = verify;
}

bool TSMTPConfig::IsValid() const {
  if (SMTP->Host.empty()) return false;
  if (SMTP->Port == kNoPortGiven) return false;
  if (AuthEnabled && (SMTP->Username.empty() || SMTP->Password.empty())) return false;
  if (TLSEnabled && SMTP->UseTLS > kHighestTlsMode) return false;
  return true;
}

bool TSMTPConfig::Connected() { return SMTP->Connected(); }
void TSMTPConfig::Connect() { SMTP->Connect(); }
void TSMTPConfig::Send(const OutgoingMessage& message) { SMTP->Send(message); }
void TSMTPConfig::Disconnect() { SMTP->Disconnect(); }

}  // namespace vellumo
