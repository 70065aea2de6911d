#include "fakes/FakeSmtpClient.h"
#include "smtp/SmtpFailure.h"

#include <algorithm>
#include <stdexcept>

namespace vellumo::testing {

namespace {

void Wait(NetworkWaitObserver* observer) {
  if (observer != nullptr && observer->OnWaiting())
    throw SimpleSmtpFailure(SmtpFailureKind::Cancelled);
}

}  // namespace

void FakeSmtpClient::Connect() {
  calls.emplace_back("Connect");
  if (onConnect) onConnect();
  Wait(observer);
  if (connectThrows) throw std::runtime_error(*connectThrows);
  if (connectSucceeds) connected = true;
}

bool FakeSmtpClient::Connected() {
  calls.emplace_back("Connected");
  if (!connectedAnswers.empty()) {
    const bool answer = connectedAnswers.front();
    connectedAnswers.erase(connectedAnswers.begin());
    return answer;
  }
  return connected;
}

void FakeSmtpClient::Send(const OutgoingMessage& message) {
  calls.emplace_back("Send");
  for (const auto& [bytes, total] : sendProgress) {
    if (observer != nullptr) observer->OnMessageProgress(bytes, total);
  }
  Wait(observer);
  if (sendThrows) throw std::runtime_error(*sendThrows);
  sent = message;
}

void FakeSmtpClient::Disconnect() {
  calls.emplace_back("Disconnect");
  if (disconnectThrows) throw std::runtime_error(*disconnectThrows);
  connected = false;
}

int FakeSmtpClient::CountOf(const std::string& call) const {
  return static_cast<int>(std::count(calls.begin(), calls.end(), call));
}

SmtpClient* FakeSmtpClientFactory::CreateClient(const SmtpAccount& account) {
  if (createsNothing) return nullptr;
  auto client = std::make_unique<FakeSmtpClient>();
  client->account = account;
  client->connected = prototype.connected;
  client->connectSucceeds = prototype.connectSucceeds;
  client->connectThrows = prototype.connectThrows;
  client->onConnect = prototype.onConnect;
  client->sendThrows = prototype.sendThrows;
  client->disconnectThrows = prototype.disconnectThrows;
  client->connectedAnswers = prototype.connectedAnswers;
  clients.push_back(std::move(client));
  return clients.back().get();
}

}  // namespace vellumo::testing
