#pragma once
// A scripted SMTP client: records each call and fails where told to.
#include <cstdint>
#include <functional>
#include <utility>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "mail/OutgoingMessage.h"
#include "smtp/SmtpClient.h"

namespace vellumo::testing {

class FakeSmtpClient : public SmtpClient {
 public:
  void Connect() override;
  bool Connected() override;
  void Send(const OutgoingMessage& message) override;
  void Disconnect() override;
  void SetWaitObserver(NetworkWaitObserver* waitObserver) override { observer = waitObserver; }

  int CountOf(const std::string& call) const;

  std::vector<std::string> calls;  // "Connect", "Connected", "Send", "Disconnect"
  bool connected = false;
  bool connectSucceeds = true;  // false: Connect returns but stays unconnected
  std::optional<std::string> connectThrows;
  // Run first thing in Connect, e.g. to change the host's file mid-run.
  std::function<void()> onConnect;
  std::optional<std::string> sendThrows;
  std::optional<std::string> disconnectThrows;
  // Answers of Connected() in order; when used up, the state `connected`.
  std::vector<bool> connectedAnswers;
  std::optional<OutgoingMessage> sent;
  SmtpAccount account;  // the account the client was made for
  NetworkWaitObserver* observer = nullptr;
  // Connect and Send wait once on the observer, as a real client does
  // between its socket waits, and stop as it asks; Send reports this
  // progress first.
  std::vector<std::pair<std::uint64_t, std::uint64_t>> sendProgress;
};

class FakeSmtpClientFactory : public SmtpClientFactory {
 public:
  SmtpClient* CreateClient(const SmtpAccount& account) override;

  // The most recent client, or nullptr.
  FakeSmtpClient* Last() { return clients.empty() ? nullptr : clients.back().get(); }

  bool createsNothing = false;
  // Applied to every client when it is created.
  FakeSmtpClient prototype;
  std::vector<std::unique_ptr<FakeSmtpClient>> clients;
};

}  // namespace vellumo::testing
