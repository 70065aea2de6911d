#pragma once
// What the libcurl client takes besides the account's settings: values the
// application leaves at their defaults and tests shorten or point elsewhere.
#include <string>

namespace vellumo {

struct CurlSmtpOptions {
  // Trusted certificate authorities (PEM file); empty: the system's store.
  std::string CaFile;
  // Longest wait for the TCP connection to open.
  long ConnectTimeoutSeconds = 30;
  // Longest wait, once connected, for any answer or progress from the
  // server: each reply, greeting and TLS handshake included.
  long IdleTimeoutSeconds = 60;
  // Name given in EHLO; empty: this machine's host name.
  std::string LocalName;
};

}  // namespace vellumo
