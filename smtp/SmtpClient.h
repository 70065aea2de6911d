#pragma once
// The SMTP client seam. A client is made for one account and is one SMTP
// session: Connect opens it (greeting, EHLO, STARTTLS, login), Send reuses
// it, Disconnect says QUIT. Failures are thrown as SmtpFailure.
#include "smtp/NetworkWaitObserver.h"
#include "smtp/SmtpAccount.h"

namespace vellumo {

class OutgoingMessage;

class SmtpClient {
 public:
  virtual ~SmtpClient() = default;

  // Opens the session; throws SmtpFailure.
  virtual void Connect() = 0;
  // True only while the connection really stands.
  virtual bool Connected() = 0;
  // Sends the message on the session, opening it when needed; throws
  // SmtpFailure.
  virtual void Send(const OutgoingMessage& message) = 0;
  // Says QUIT and closes; quiet on a client that is not connected.
  virtual void Disconnect() = 0;
  // Who is called back during network waits; nullptr for nobody. The
  // observer must outlive the calls that use it.
  virtual void SetWaitObserver(NetworkWaitObserver* observer) = 0;
};

// Creates clients and owns them until the process ends, as the application
// object does: an account object only borrows its client.
class SmtpClientFactory {
 public:
  virtual ~SmtpClientFactory() = default;
  // A client for `account`; nullptr when none could be made.
  virtual SmtpClient* CreateClient(const SmtpAccount& account) = 0;
};

}  // namespace vellumo
