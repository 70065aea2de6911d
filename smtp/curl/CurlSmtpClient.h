#pragma once
// The SMTP client on libcurl. One easy handle is one SMTP session: Connect
// runs a NOOP transfer, which connects, says EHLO, switches to TLS and logs
// in; Send runs a second transfer on the same handle and so on the same
// connection; Disconnect cleans the handle up, which says QUIT. Each of
// these runs aside, on a worker thread, while the caller's thread handles
// its events through the wait observer.
#include <curl/curl.h>

#include <atomic>
#include <mutex>
#include <memory>
#include <vector>

#include "smtp/SmtpClient.h"
#include "smtp/SmtpFailure.h"
#include "smtp/curl/CurlSmtpOptions.h"
#include "smtp/curl/CurlTransferLoop.h"
#include "smtp/curl/OAuthAccessToken.h"
#include "smtp/curl/SmtpSessionTrace.h"
#include "smtp/curl/SmtpWaitClock.h"

namespace vellumo {

class CurlSmtpClient : public SmtpClient {
 public:
  explicit CurlSmtpClient(SmtpAccount account, CurlSmtpOptions options = {});
  ~CurlSmtpClient() override;
  CurlSmtpClient(const CurlSmtpClient&) = delete;
  CurlSmtpClient& operator=(const CurlSmtpClient&) = delete;

  void Connect() override;
  bool Connected() override;
  void Send(const OutgoingMessage& message) override;
  void Disconnect() override;
  void SetWaitObserver(NetworkWaitObserver* observer) override { observer_ = observer; }

  const CurlSmtpOptions& Options() const { return options_; }

 private:
  // Creates the handle when there is none and applies the account's
  // settings to it; throws SmtpFailure for settings that cannot work. An
  // OAuth account not connected gets its access token here.
  void PrepareHandle();
  // Forgets a session whose connection the server has closed.
  void DropDeadSession();
  // One transfer; throws SmtpFailure saying what failed.
  void Perform();
  // Perform, and on Windows once more when Windows trusts the server that
  // the roots handed to libcurl could not vouch for (see WindowsRoots.h).
  void PerformTrusted();
  // Throws SmtpFailure when a new session skipped the account's login.
  void RequireLogin();
  // Shuts the handle's sockets down, so that nothing waits on them.
  void CutSession();
  // The caller's stop: libcurl gives up at once and whatever it still
  // holds for the server is thrown away, never sent.
  void StopNow();
  // True when one of the handle's sockets has its TCP connection open.
  bool SocketConnected() const;

  static int OnDebug(CURL* handle, curl_infotype type, char* data, std::size_t size, void* self);
  static std::size_t OnWrite(char* data, std::size_t size, std::size_t count, void* self);
  static int OnProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t);
  static int OnSocketOpened(void* self, curl_socket_t socket, curlsocktype purpose);
  static int OnSocketClosing(void* self, curl_socket_t socket);

  // The facts of a failure in this session, as far as the client knows.
  SmtpFailureDetails FailureDetails(SmtpFailureKind kind) const;

  SmtpAccount account_;
  CurlSmtpOptions options_;
  // The access token of an OAuth account; null for the others.
  std::unique_ptr<OAuthAccessToken> oauth_;
  CurlTransferLoop loop_;
  CURL* handle_ = nullptr;
  NetworkWaitObserver* observer_ = nullptr;
  bool sending_ = false;  // the transfer under way sends the message
  // The caller asked to stop (set on its thread, read by libcurl's).
  std::atomic<bool> stopRequested_{false};
  SmtpSessionTrace trace_;
  SmtpWaitClock clock_;
  // The limit that ended the last transfer, if the clock ended it.
  SmtpWaitClock::Limit expired_ = SmtpWaitClock::Limit::None;
  // The handle's sockets, so that a session can be cut short; opened and
  // closed on the worker thread, cut from either thread.
  mutable std::mutex socketsMutex_;
  std::vector<curl_socket_t> sockets_;
  char errorBuffer_[CURL_ERROR_SIZE] = {};
  bool loginAwaitsTls_ = false;  // see PrepareHandle
};

}  // namespace vellumo

// Users of the client create it through its factory.
#include "smtp/curl/CurlSmtpClientFactory.h"
