#include "smtp/curl/CurlTokenFetch.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <memory>
#include <utility>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <sys/socket.h>
#include <unistd.h>
#endif

#include "smtp/curl/CurlFailureKind.h"
#include "smtp/curl/CurlGlobalInit.h"
#include "smtp/curl/CurlTransferLoop.h"
#ifdef _WIN32
#include "smtp/curl/WindowsRoots.h"
#endif

namespace vellumo {
namespace {

// A token answer is a few kilobytes; anything far larger is not one.
constexpr std::size_t kLongestAnswer = 256 * 1024;

struct EasyHandle {
  void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct UrlHandle {
  void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

std::string UrlPart(CURLU* url, CURLUPart part, unsigned int flags = 0) {
  char* text = nullptr;
  if (curl_url_get(url, part, &text, flags) != CURLUE_OK || text == nullptr) return {};
  std::string value = text;
  curl_free(text);
  return value;
}

}  // namespace

CurlTokenFetch::CurlTokenFetch(const CurlSmtpOptions& options, std::string url, std::string proxy)
    : options_(options),
      url_(std::move(url)),
      proxy_(std::move(proxy)),
      clock_(std::chrono::seconds(options.ConnectTimeoutSeconds),
             std::chrono::seconds(options.IdleTimeoutSeconds)) {
  CurlGlobalInit::Ensure();
  const std::unique_ptr<CURLU, UrlHandle> parsed(curl_url());
  if (parsed && curl_url_set(parsed.get(), CURLUPART_URL, url_.c_str(), 0) == CURLUE_OK) {
    host_ = UrlPart(parsed.get(), CURLUPART_HOST);
    const std::string port = UrlPart(parsed.get(), CURLUPART_PORT, CURLU_DEFAULT_PORT);
    if (!port.empty()) port_ = static_cast<std::uint16_t>(std::stoul(port));
  }
  if (host_.empty()) host_ = url_;
}

SmtpFailureDetails CurlTokenFetch::Context() const {
  SmtpFailureDetails details;
  details.TokenRequest = true;
  details.ViaProxy = !proxy_.empty();
  details.Host = host_;
  details.Port = port_;
  details.Url = url_;
  return details;
}

TokenEndpointAnswer CurlTokenFetch::Post(const std::string& form, NetworkWaitObserver* observer) {
  const auto fail = [this](SmtpFailureKind kind) {
    SmtpFailureDetails details = Context();
    details.Kind = kind;
    return SmtpFailure(std::move(details));
  };
  CurlTransferLoop loop;
  const std::unique_ptr<CURL, EasyHandle> handle(curl_easy_init());
  if (!handle) throw fail(SmtpFailureKind::SessionNotOpened);
  CURL* easy = handle.get();
  char errorBuffer[CURL_ERROR_SIZE] = {};
  curl_slist* headers = curl_slist_append(nullptr, "Accept: application/json");
  const std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> headerList(
      headers, &curl_slist_free_all);

  const bool set =
      curl_easy_setopt(easy, CURLOPT_URL, url_.c_str()) == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "https") == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L) == CURLE_OK &&
      // The environment's proxies (HTTPS_PROXY, NO_PROXY and the like) are
      // not ours to follow; only the account's.
      curl_easy_setopt(easy, CURLOPT_PROXY, proxy_.c_str()) == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_NOPROXY, "") == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L) == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L) == CURLE_OK &&
      (options_.CaFile.empty() ||
       curl_easy_setopt(easy, CURLOPT_CAINFO, options_.CaFile.c_str()) == CURLE_OK) &&
      curl_easy_setopt(easy, CURLOPT_POSTFIELDS, form.c_str()) == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(form.size())) ==
          CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers) == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorBuffer) == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L) == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &CurlTokenFetch::OnWrite) == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_WRITEDATA, this) == CURLE_OK &&
      // The debug function only feeds the wait clock; it keeps and prints
      // nothing, and the form's secrets pass through it unseen.
      curl_easy_setopt(easy, CURLOPT_DEBUGFUNCTION, &CurlTokenFetch::OnDebug) == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_DEBUGDATA, this) == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_VERBOSE, 1L) == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &CurlTokenFetch::OnProgress) == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_XFERINFODATA, this) == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L) == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_SOCKOPTFUNCTION, &CurlTokenFetch::OnSocketOpened) ==
          CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_SOCKOPTDATA, this) == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_CLOSESOCKETFUNCTION, &CurlTokenFetch::OnSocketClosing) ==
          CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_CLOSESOCKETDATA, this) == CURLE_OK &&
      // The wait clock keeps both limits, as for SMTP.
      curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, static_cast<long>(INT_MAX / 1000)) ==
          CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L) == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, options_.IdleTimeoutSeconds) == CURLE_OK;
  if (!set) throw fail(SmtpFailureKind::SettingRefused);
#ifdef _WIN32
  // As for SMTP: libcurl's own check against the roots Windows trusts
  // (Schannel's automatic one is not relied on).
  if (options_.CaFile.empty()) {
    try {
      UseWindowsRoots(easy);
    } catch (const SmtpFailure&) {
      throw fail(SmtpFailureKind::TrustStoreUnreadable);
    }
  }
#endif

  body_.clear();
  tooLong_ = false;
  expired_ = SmtpWaitClock::Limit::None;
  stopRequested_ = false;
  clock_.Start(SmtpWaitClock::Clock::now(), false);
  CURLcode code = loop.Run(easy, observer, [this] { StopNow(); });
  if (loop.Cancelled()) throw fail(SmtpFailureKind::Cancelled);
  if (code == CURLE_ABORTED_BY_CALLBACK && expired_ != SmtpWaitClock::Limit::None) {
    code = CURLE_OPERATION_TIMEDOUT;
  }
  TokenEndpointAnswer answer;
  curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &answer.HttpStatus);
  if (code == CURLE_OK && !tooLong_) {
    answer.Body = std::move(body_);
    return answer;
  }

  SmtpFailureDetails failure = Context();
  failure.Kind = tooLong_ ? SmtpFailureKind::TokenAnswerUnreadable : FailureKindOf(code);
  if (code == CURLE_COULDNT_RESOLVE_PROXY) failure.Kind = SmtpFailureKind::HostNotFound;
  failure.LibraryCode = code;
  failure.LibraryText = curl_easy_strerror(code);
  failure.Detail = errorBuffer;
  failure.HttpStatus = answer.HttpStatus;
  failure.TcpConnected = expired_ != SmtpWaitClock::Limit::Connect && clock_.Connected();
  long osError = 0;
  curl_easy_getinfo(easy, CURLINFO_OS_ERRNO, &osError);
#ifdef _WIN32
  failure.ConnectionRefused = osError == WSAECONNREFUSED;
#else
  failure.ConnectionRefused = osError == ECONNREFUSED;
#endif
  long verifyResult = 0;
  curl_easy_getinfo(easy, CURLINFO_SSL_VERIFYRESULT, &verifyResult);
  failure.VerifyResult = verifyResult;
  failure.TimeoutSeconds =
      failure.TcpConnected ? options_.IdleTimeoutSeconds : options_.ConnectTimeoutSeconds;
  throw SmtpFailure(std::move(failure));
}

int CurlTokenFetch::OnDebug(CURL*, curl_infotype type, char*, std::size_t, void* self) {
  if (type != CURLINFO_TEXT) {
    static_cast<CurlTokenFetch*>(self)->clock_.OnTraffic(SmtpWaitClock::Clock::now());
  }
  return 0;
}

std::size_t CurlTokenFetch::OnWrite(char* data, std::size_t size, std::size_t count, void* self) {
  auto* fetch = static_cast<CurlTokenFetch*>(self);
  const std::size_t bytes = size * count;
  if (fetch->body_.size() + bytes > kLongestAnswer) {
    fetch->tooLong_ = true;
    return 0;  // ends the transfer
  }
  fetch->body_.append(data, bytes);
  return bytes;
}

void CurlTokenFetch::StopNow() {
  stopRequested_ = true;
  const std::lock_guard<std::mutex> lock(socketsMutex_);
  for (curl_socket_t socket : sockets_) {
#ifdef _WIN32
    shutdown(socket, SD_BOTH);
#else
    shutdown(socket, SHUT_RDWR);
#endif
  }
}

int CurlTokenFetch::OnSocketOpened(void* self, curl_socket_t socket, curlsocktype) {
  auto* fetch = static_cast<CurlTokenFetch*>(self);
  const std::lock_guard<std::mutex> lock(fetch->socketsMutex_);
  fetch->sockets_.push_back(socket);
  return CURL_SOCKOPT_OK;
}

int CurlTokenFetch::OnSocketClosing(void* self, curl_socket_t socket) {
  auto* fetch = static_cast<CurlTokenFetch*>(self);
  {
    const std::lock_guard<std::mutex> lock(fetch->socketsMutex_);
    auto& sockets = fetch->sockets_;
    sockets.erase(std::remove(sockets.begin(), sockets.end(), socket), sockets.end());
  }
#ifdef _WIN32
  return closesocket(socket);
#else
  return close(socket);
#endif
}

int CurlTokenFetch::OnProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  auto* fetch = static_cast<CurlTokenFetch*>(self);
  if (fetch->stopRequested_) return 1;
  fetch->expired_ = fetch->clock_.Expired(SmtpWaitClock::Clock::now());
  return fetch->expired_ == SmtpWaitClock::Limit::None ? 0 : 1;
}

}  // namespace vellumo
