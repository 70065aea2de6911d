#pragma once
// The SMTP client seam. Settings are plain members the account object
// writes; the four operations are the client's own. One client is one SMTP
// session: Connect opens it (greeting, EHLO, STARTTLS, login), Send reuses
// it, Disconnect says QUIT.
#include <cstdint>
#include <string>

namespace vellumo {

class OutgoingMessage;

enum class TlsMode : std::uint8_t {
  utNoTLSSupport = 0,    // clear text only
  utUseImplicitTLS = 1,  // TLS from the first byte (smtps)
  utUseRequireTLS = 2,   // STARTTLS, failing when not offered
  utUseExplicitTLS = 3,  // STARTTLS when offered, clear otherwise
};

class SmtpClient {
 public:
  virtual ~SmtpClient() = default;

  std::string Host;
  std::uint16_t Port = 25;
  std::string Username;  // a non-empty name means: log in
  std::string Password;
  // Number of TLS handlers installed; non-zero means TLS can be used.
  int TlsHandlers = 0;
  // Raw TLS mode as given (values above 3 are stored but unusable).
  std::uint8_t UseTLS = 0;
  // Verify the server's certificate and host name (on by default).
  bool VerifyCertificate = true;

  void InstallTlsHandler() { ++TlsHandlers; }
  bool HasTlsHandler() const { return TlsHandlers > 0; }

  // Opens the session; throws MailError describing the failure.
  virtual void Connect() = 0;
  // True only while the connection really stands.
  virtual bool Connected() = 0;
  // Sends the message on the open session; throws MailError.
  virtual void Send(const OutgoingMessage& message) = 0;
  // Says QUIT and closes; quiet on a client that is not connected.
  virtual void Disconnect() = 0;
};

// Creates clients and owns them until the process ends, as the application
// object does: an account object only borrows its client.
class SmtpClientFactory {
 public:
  virtual ~SmtpClientFactory() = default;
  // May return nullptr when no client could be made.
  virtual SmtpClient* CreateClient() = 0;
};

}  // namespace vellumo
