#pragma once
// One HTTPS POST of a form to an OAuth token endpoint, through a transfer
// loop of its own: the wait observer is called as for the SMTP work and
// may stop it. libcurl's callbacks run on the loop's worker thread. The certificate is always
// verified, whatever the SMTP account says; no proxy but the one given; no redirect followed (the
// form holds secrets). Nothing of the exchange is printed or kept.
#include <curl/curl.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "smtp/NetworkWaitObserver.h"
#include "smtp/SmtpFailure.h"
#include "smtp/curl/CurlSmtpOptions.h"
#include "smtp/curl/SmtpWaitClock.h"

namespace vellumo {

struct TokenEndpointAnswer {
  long HttpStatus = 0;
  std::string Body;
};

class CurlTokenFetch {
 public:
  // `url` must be https://; `proxy` empty: straight to the endpoint.
  CurlTokenFetch(const CurlSmtpOptions& options, std::string url, std::string proxy);
  CurlTokenFetch(const CurlTokenFetch&) = delete;
  CurlTokenFetch& operator=(const CurlTokenFetch&) = delete;

  // Sends `form` and returns the answer, whatever its status. Throws
  // SmtpFailure with TokenRequest set: the transfer kinds, Cancelled.
  TokenEndpointAnswer Post(const std::string& form, NetworkWaitObserver* observer);

  // What a failure about this endpoint starts from: its host and port.
  SmtpFailureDetails Context() const;

 private:
  static int OnDebug(CURL*, curl_infotype type, char*, std::size_t, void* self);
  static std::size_t OnWrite(char* data, std::size_t size, std::size_t count, void* self);
  static int OnProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t);
  static int OnSocketOpened(void* self, curl_socket_t socket, curlsocktype purpose);
  static int OnSocketClosing(void* self, curl_socket_t socket);
  // From the calling thread: ends the transfer at once.
  void StopNow();

  CurlSmtpOptions options_;
  std::string url_;
  std::string proxy_;
  std::string host_;
  std::uint16_t port_ = 443;
  SmtpWaitClock clock_;
  SmtpWaitClock::Limit expired_ = SmtpWaitClock::Limit::None;
  std::string body_;
  bool tooLong_ = false;
  std::atomic<bool> stopRequested_{false};
  std::mutex socketsMutex_;
  std::vector<curl_socket_t> sockets_;
};

}  // namespace vellumo
