#pragma once
// The SMTP account in use: the account read from the file and the client
// made for it (owned by the client factory until the process ends), to
// which the session operations go.
#include "smtp/SmtpAccount.h"
#include "smtp/SmtpClient.h"

namespace vellumo {

class OutgoingMessage;

class TSMTPConfig {
 public:
  // Takes a client for `account` from the factory; it may be missing
  // (IsClientMissing).
  TSMTPConfig(SmtpClientFactory& factory, SmtpAccount account);
  // Neither disconnects nor destroys the client.
  ~TSMTPConfig() = default;
  TSMTPConfig(const TSMTPConfig&) = delete;
  TSMTPConfig& operator=(const TSMTPConfig&) = delete;

  const SmtpAccount& Account() const { return account_; }
  bool IsValid() const { return account_.IsValid(); }
  bool IsClientMissing() const { return client_ == nullptr; }

  // These only forward; the client's exceptions reach the caller.
  bool Connected();
  void Connect();
  void Send(const OutgoingMessage& message);
  void Disconnect();
  void SetWaitObserver(NetworkWaitObserver* observer);

 private:
  SmtpAccount account_;
  SmtpClient* client_;
};

}  // namespace vellumo
