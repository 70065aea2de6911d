#pragma once
// French text for a failed libcurl transfer: what failed, in words a user
// understands, with the server's reply when there was one. Pure function,
// so that every case can be checked without a server.
#include <curl/curl.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "smtp/curl/SmtpSessionTrace.h"

namespace vellumo {

struct CurlFailure {
  CURLcode Code = CURLE_OK;
  std::string Host;
  std::uint16_t Port = 0;
  bool TcpConnected = false;   // the TCP connection was made
  bool ConnectionRefused = false;  // the system said: connection refused
  SmtpStep Step = SmtpStep::Connecting;
  std::string Sender;          // address of the last MAIL FROM
  std::string Recipient;       // address of the last RCPT TO
  int ReplyCode = 0;           // last reply of the server, 0 if none
  std::string ReplyText;
  // STARTTLS was to be used when offered and a login is configured: the
  // login waits for TLS and is not sent without it.
  bool LoginAwaitsTls = false;
  long VerifyResult = 0;       // X509 verification result, 0 when fine
  std::string ErrorBuffer;     // libcurl's own (English) detail
  long ConnectTimeoutSeconds = 30;
  long IdleTimeoutSeconds = 60;
};

std::string DescribeCurlFailure(const CurlFailure& failure);

// Server or library text made safe to show: invalid UTF-8, control and
// format characters dropped, spaces collapsed, cut to about `maxBytes` on a
// character boundary.
std::string PrintableText(std::string_view raw, std::size_t maxBytes = 300);

}  // namespace vellumo
