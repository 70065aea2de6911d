#pragma once
// What the mail client reports when something fails: the facts, never a
// sentence. The run turns them into the text the user reads.
#include <cstdint>
#include <exception>
#include <string>

#include "smtp/SmtpStep.h"

namespace vellumo {

enum class SmtpFailureKind : std::uint8_t {
  // Before the network: the library or the account.
  LibraryNotInitialised,  // libcurl could not be set up
  SessionNotOpened,       // no session handle could be made
  SettingRefused,         // the library refused a setting of the session
  UnknownTlsMode,         // RawTlsMode is none of the known modes
  InvalidHostName,        // Host cannot be put in a URL
  // A transfer with the server; Step, the reply and Detail say more.
  HostNotFound,
  ConnectFailed,        // ConnectionRefused: nothing listens on the port
  TimedOut,             // TimeoutSeconds ran out (TcpConnected: waiting for a reply)
  CertificateRejected,  // VerifyResult: the X509 verification result
  TrustStoreUnreadable,
  TlsFailed,
  AttachmentReadFailed,  // the library could not read the message's data
  OutOfMemory,
  LoginDenied,       // also: a login was configured and none took place
  StartTlsRequired,  // STARTTLS was required and not done
  AccessDenied,
  ReceiveFailed,  // Detail tells a too long reply from a lost connection
  ConnectionLost,
  OddReply,
  TransferFailed,  // anything else; LibraryText and Detail say what
  // The message, before or while it goes.
  AddressNeedsSmtpUtf8,  // Address: non-ASCII local part, server without SMTPUTF8
  DocumentMissing,       // Path: the attached document
  DocumentUnreadable,
  DocumentReadFailed,       // it could not be read to its end while sending
  DocumentChanged,          // it changed while sending
  MessageNotPrepared,       // no memory for the message's parts
  MessageRefusedByLibrary,  // LibraryText: why the library would not take it
  // The OAuth access token, before the SMTP login. A transfer with the
  // token endpoint fails with the transfer kinds above and TokenRequest set.
  OAuthProviderUnknown,      // OAuthProvider: neither a known provider nor a token URL
  OAuthEndpointNotHttps,     // Url: the token endpoint given is not https://
  OAuthNoClientCredentials,  // client credentials asked of a provider that has none for mail
  TokenRefused,              // HttpStatus, OAuthError, OAuthErrorDescription
  TokenAnswerUnreadable,     // HttpStatus: a success without a usable access token
  // The caller stopped the work (the user closed the dialog).
  Cancelled,
};

struct SmtpFailureDetails {
  SmtpFailureKind Kind = SmtpFailureKind::TransferFailed;
  int LibraryCode = 0;      // libcurl's code, 0 when none
  std::string LibraryText;  // libcurl's name for that code (English)
  std::string Detail;       // libcurl's own detail (English), may be empty
  std::string Host;
  std::uint16_t Port = 0;
  bool TcpConnected = false;       // the TCP connection was made
  bool ConnectionRefused = false;  // the system said: connection refused
  SmtpStep Step = SmtpStep::Connecting;
  std::string Sender;     // address of the last MAIL FROM
  std::string Recipient;  // address of the last RCPT TO
  // The server's last reply: its code (0 when none) and its text, the lines
  // joined, not yet made printable.
  int ReplyCode = 0;
  std::string ReplyText;
  // STARTTLS was to be used when offered and a login is configured: the
  // login waits for TLS and is not sent without it.
  bool LoginAwaitsTls = false;
  long VerifyResult = 0;    // X509 verification result, 0 when fine
  long TimeoutSeconds = 0;  // the limit that ran out
  int RawTlsMode = 0;
  std::string Address;  // the address concerned, not made printable
  std::string Path;     // the document's path, not made printable
  // The login used an OAuth access token (XOAUTH2).
  bool OAuthLogin = false;
  // The failure concerns the token endpoint (Host, Port), not the SMTP
  // server; ViaProxy: through the proxy the account names for it.
  bool TokenRequest = false;
  bool ViaProxy = false;
  std::string OAuthProvider;  // as given, not made printable
  std::string Url;            // as given, not made printable
  long HttpStatus = 0;        // the token endpoint's answer, 0 when none
  // The OAuth "error" and "error_description" of that answer, not made
  // printable; never a secret of the request.
  std::string OAuthError;
  std::string OAuthErrorDescription;
};

class SmtpFailure : public std::exception {
 public:
  explicit SmtpFailure(SmtpFailureDetails details);

  SmtpFailureKind Kind() const { return details_.Kind; }
  const SmtpFailureDetails& Details() const { return details_; }
  // A short English summary for logs; the user reads the run's own text.
  const char* what() const noexcept override { return summary_.c_str(); }

 private:
  SmtpFailureDetails details_;
  std::string summary_;
};

// A failure of `kind` with no more facts than that.
SmtpFailure SimpleSmtpFailure(SmtpFailureKind kind);

}  // namespace vellumo
