#include "smtp/TSMTPConfig.h"

#include <utility>

namespace vellumo {

TSMTPConfig::TSMTPConfig(SmtpClientFactory& factory, SmtpAccount account)
    : account_(std::move(account)), client_(factory.CreateClient(account_)) {}

bool TSMTPConfig::Connected() { return client_->Connected(); }
void TSMTPConfig::Connect() { client_->Connect(); }
void TSMTPConfig::Send(const OutgoingMessage& message) { client_->Send(message); }
void TSMTPConfig::Disconnect() { client_->Disconnect(); }
void TSMTPConfig::SetWaitObserver(NetworkWaitObserver* observer) {
  if (client_ != nullptr) client_->SetWaitObserver(observer);
}

}  // namespace vellumo
