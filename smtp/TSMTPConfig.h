#pragma once
// The SMTP account: borrows a client (owned by the client factory until the
// process ends), configures it and forwards the session operations to it.
#include <cstdint>
#include <string>

#include "smtp/SmtpClient.h"

namespace vellumo {

class OutgoingMessage;

class TSMTPConfig {
 public:
  // Takes a client from the factory; it may be missing (IsClientMissing).
  explicit TSMTPConfig(SmtpClientFactory& factory);
  // Neither disconnects nor destroys the client.
  ~TSMTPConfig() = default;
  TSMTPConfig(const TSMTPConfig&) = delete;
  TSMTPConfig& operator=(const TSMTPConfig&) = delete;

  void SetHost(const std::string& host);
  // Keeps the low 16 bits: the default -1 becomes 65535.
  void SetPort(std::int32_t port);
  void SetAuth(bool enabled);
  void SetLogin(const std::string& login);        // only when auth is on
  void SetPassword(const std::string& password);  // only when auth is on
  void SetTLS(bool enabled);
  // Only when TLS is on: installs a new TLS handler, then keeps the low
  // 8 bits of the mode.
  void SetTLSMode(std::int32_t mode);
  // Only when TLS is on: whether the server's certificate is checked.
  void SetVerifyCertificate(bool verify);

  bool IsValid() const;
  bool IsClientMissing() const { return SMTP == nullptr; }

  // These only forward; the client's exceptions reach the caller.
  bool Connected();
  void Connect();
  void Send(const OutgoingMessage& message);
  void Disconnect();

  bool AuthEnabled = false;
  bool TLSEnabled = false;
  SmtpClient* SMTP = nullptr;
};

}  // namespace vellumo
