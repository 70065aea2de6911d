#include "smtp/curl/CurlSmtpClient.h"

#include <cerrno>
#include <algorithm>
#include <chrono>
#include <climits>
#include <optional>
#include <string>
#include <utility>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <linux/sockios.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include "mail/OutgoingMessage.h"
#include "smtp/curl/CurlFailureKind.h"
#include "smtp/curl/CurlGlobalInit.h"
#include "smtp/curl/CurlMessageUpload.h"
#include "smtp/curl/CurlSmtpUrl.h"
#include "smtp/curl/SmtpUtf8Check.h"
#ifdef _WIN32
#include "smtp/curl/WindowsRoots.h"
#endif

namespace vellumo {
namespace {

std::string MachineName() {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return "vellumo";
  return name;
}

// A socket that libcurl keeps may have been closed by the server since;
// only the socket itself can tell. An idle SMTP session receives nothing:
// anything readable is the server leaving (end of stream, a 421, a TLS
// close alert), as libcurl itself judges cached connections.
bool SocketAlive(curl_socket_t socket) {
#ifdef _WIN32
  WSAPOLLFD probe{socket, POLLRDNORM, 0};
  const int ready = WSAPoll(&probe, 1, 0);
#else
  pollfd probe{socket, POLLIN, 0};
  int ready = 0;
  do {
    ready = poll(&probe, 1, 0);
  } while (ready < 0 && errno == EINTR);
#endif
  return ready == 0;
}

// Bytes handed to the socket that the server has not acknowledged yet: a
// send queue can hold megabytes, which a progress figure must not count as
// sent. Windows does not tell; there the figure runs a little ahead.
std::uint64_t Unacknowledged(curl_socket_t socket) {
#ifdef _WIN32
  (void)socket;
  return 0;
#else
  int queued = 0;
  if (ioctl(socket, SIOCOUTQ, &queued) != 0 || queued < 0) return 0;
  return static_cast<std::uint64_t>(queued);
#endif
}

void Set(CURL* handle, CURLoption option, long value) {
  if (curl_easy_setopt(handle, option, value) != CURLE_OK) {
    throw SimpleSmtpFailure(SmtpFailureKind::SettingRefused);
  }
}

void Set(CURL* handle, CURLoption option, const char* value) {
  if (curl_easy_setopt(handle, option, value) != CURLE_OK) {
    throw SimpleSmtpFailure(SmtpFailureKind::SettingRefused);
  }
}

}  // namespace

CurlSmtpClient::CurlSmtpClient(SmtpAccount account, CurlSmtpOptions options)
    : account_(std::move(account)),
      options_(std::move(options)),
      clock_(std::chrono::seconds(options_.ConnectTimeoutSeconds),
             std::chrono::seconds(options_.IdleTimeoutSeconds)) {
  CurlGlobalInit::Ensure();
  if (account_.UsesOAuth()) oauth_ = std::make_unique<OAuthAccessToken>(account_, options_);
}

CurlSmtpClient::~CurlSmtpClient() {
  // The run that observed the waits may be gone by now.
  observer_ = nullptr;
  Disconnect();
}

void CurlSmtpClient::PrepareHandle() {
  const std::optional<TlsMode> tls = account_.Tls();
  if (!tls) {
    SmtpFailureDetails details = FailureDetails(SmtpFailureKind::UnknownTlsMode);
    details.RawTlsMode = account_.RawTlsMode();
    throw SmtpFailure(std::move(details));
  }
  const TlsMode mode = *tls;
  const bool implicitTls = mode == TlsMode::utUseImplicitTLS;
  const std::string localName = options_.LocalName.empty() ? MachineName() : options_.LocalName;
  std::optional<std::string> url =
      BuildSmtpUrl(account_.Host(), account_.Port(), implicitTls, localName);
  if (!url) url = BuildSmtpUrl(account_.Host(), account_.Port(), implicitTls, "vellumo");
  if (!url) throw SmtpFailure(FailureDetails(SmtpFailureKind::InvalidHostName));

  // The token is part of connecting: a new connection logs in, with the
  // token in hand unless it has expired; a standing one needs none.
  const std::string* bearer = nullptr;
  if (oauth_) bearer = Connected() ? &oauth_->Current() : &oauth_->ForNewLogin(observer_);

  if (handle_ == nullptr) {
    handle_ = curl_easy_init();
    if (handle_ == nullptr) throw SimpleSmtpFailure(SmtpFailureKind::SessionNotOpened);
    curl_easy_setopt(handle_, CURLOPT_ERRORBUFFER, errorBuffer_);
    curl_easy_setopt(handle_, CURLOPT_DEBUGFUNCTION, &CurlSmtpClient::OnDebug);
    curl_easy_setopt(handle_, CURLOPT_DEBUGDATA, this);
    // The debug function only runs in verbose mode; it keeps nothing
    // secret and prints nothing.
    curl_easy_setopt(handle_, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(handle_, CURLOPT_WRITEFUNCTION, &CurlSmtpClient::OnWrite);
    curl_easy_setopt(handle_, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(handle_, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle_, CURLOPT_SOCKOPTFUNCTION, &CurlSmtpClient::OnSocketOpened);
    curl_easy_setopt(handle_, CURLOPT_SOCKOPTDATA, this);
    curl_easy_setopt(handle_, CURLOPT_CLOSESOCKETFUNCTION, &CurlSmtpClient::OnSocketClosing);
    curl_easy_setopt(handle_, CURLOPT_CLOSESOCKETDATA, this);
    // Called at least once a second: the wait limits are checked there.
    curl_easy_setopt(handle_, CURLOPT_XFERINFOFUNCTION, &CurlSmtpClient::OnProgress);
    curl_easy_setopt(handle_, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(handle_, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(handle_, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
    // The server is reached directly: a proxy named in the environment
    // (ALL_PROXY and the like) is not ours to follow.
    Set(handle_, CURLOPT_PROXY, "");
  }

  Set(handle_, CURLOPT_URL, url->c_str());
  // STARTTLS "when offered" goes on in clear only without a login: the
  // password is never sent where TLS was asked for and is not in place.
  const std::string& login = account_.Login();
  loginAwaitsTls_ = mode == TlsMode::utUseExplicitTLS && !login.empty();
  Set(handle_, CURLOPT_USE_SSL,
      mode == TlsMode::utUseRequireTLS || loginAwaitsTls_ ? static_cast<long>(CURLUSESSL_ALL)
      : mode == TlsMode::utUseExplicitTLS                 ? static_cast<long>(CURLUSESSL_TRY)
                                                          : static_cast<long>(CURLUSESSL_NONE));
  // Peer and host checks stay at libcurl's defaults (on, SNI sent) unless
  // the account turns them off.
  const bool verify = account_.VerifiesCertificate();
  Set(handle_, CURLOPT_SSL_VERIFYPEER, verify ? 1L : 0L);
  Set(handle_, CURLOPT_SSL_VERIFYHOST, verify ? 2L : 0L);
  if (!options_.CaFile.empty()) Set(handle_, CURLOPT_CAINFO, options_.CaFile.c_str());
#ifdef _WIN32
  else if (verify) UseWindowsRoots(handle_);
  // Schannel checks revocation: a revocation server out of reach must not
  // stop every send, a revoked certificate still does.
  Set(handle_, CURLOPT_SSL_OPTIONS, static_cast<long>(CURLSSLOPT_REVOKE_BEST_EFFORT));
#endif
  if (login.empty()) {
    Set(handle_, CURLOPT_USERNAME, static_cast<const char*>(nullptr));
    Set(handle_, CURLOPT_PASSWORD, static_cast<const char*>(nullptr));
  } else if (bearer != nullptr) {
    Set(handle_, CURLOPT_USERNAME, login.c_str());
    Set(handle_, CURLOPT_PASSWORD, static_cast<const char*>(nullptr));
    Set(handle_, CURLOPT_XOAUTH2_BEARER, bearer->c_str());
    // libcurl would prefer another mechanism that the server also offers.
    Set(handle_, CURLOPT_LOGIN_OPTIONS, "AUTH=XOAUTH2");
  } else {
    Set(handle_, CURLOPT_USERNAME, login.c_str());
    Set(handle_, CURLOPT_PASSWORD, account_.Password().c_str());
  }
  // libcurl's connect time-out would end the greeting, EHLO, TLS and the
  // login too; the wait clock keeps both limits instead.
  Set(handle_, CURLOPT_CONNECTTIMEOUT, static_cast<long>(INT_MAX / 1000));
  Set(handle_, CURLOPT_SERVER_RESPONSE_TIMEOUT, options_.IdleTimeoutSeconds);
  // A stalled upload waits for no reply, so the response time-out alone
  // would not end it.
  Set(handle_, CURLOPT_LOW_SPEED_LIMIT, 1L);
  Set(handle_, CURLOPT_LOW_SPEED_TIME, options_.IdleTimeoutSeconds);
  // A refused recipient fails the whole send (libcurl's default, relied on).
}

void CurlSmtpClient::DropDeadSession() {
  // libcurl would reuse a TLS connection whose close alert is still
  // unread, and fail on it; a new handle makes a new connection.
  if (handle_ != nullptr && !Connected()) Disconnect();
}

void CurlSmtpClient::Connect() {
  DropDeadSession();
  PrepareHandle();
  Set(handle_, CURLOPT_CUSTOMREQUEST, "NOOP");
  PerformTrusted();
  RequireLogin();
}

void CurlSmtpClient::RequireLogin() {
  if (account_.Login().empty() || trace_.SentLogin()) return;
  long connections = 0;
  curl_easy_getinfo(handle_, CURLINFO_NUM_CONNECTS, &connections);
  if (connections == 0) return;  // an earlier session, logged in back then
  // libcurl goes on without a login when the server offers none (or only
  // answers HELO); an account with a login must not pass as checked then.
  Disconnect();
  SmtpFailureDetails failure = FailureDetails(SmtpFailureKind::LoginDenied);
  failure.LibraryCode = CURLE_LOGIN_DENIED;
  failure.TcpConnected = true;
  failure.Step = trace_.Step();
  if (trace_.RefusedEhloCode() != 0) {
    // A refused EHLO is why libcurl fell back to HELO, which has no login.
    failure.Step = SmtpStep::Ehlo;
    failure.ReplyCode = trace_.RefusedEhloCode();
    failure.ReplyText = trace_.RefusedEhloText();
  }
  throw SmtpFailure(std::move(failure));
}

bool CurlSmtpClient::Connected() {
  if (handle_ == nullptr) return false;
  curl_socket_t socket = CURL_SOCKET_BAD;
  if (curl_easy_getinfo(handle_, CURLINFO_ACTIVESOCKET, &socket) != CURLE_OK) return false;
  if (socket == CURL_SOCKET_BAD) return false;
  return SocketAlive(socket);
}

void CurlSmtpClient::Send(const OutgoingMessage& message) {
  DropDeadSession();
  // Whether a UTF-8 local part may go depends on the EHLO of this session.
  if (!message.Envelope().NeedsSmtpUtf8.empty() && !Connected()) Connect();
  RequireSmtpUtf8Support(message.Envelope(), trace_.Offers("SMTPUTF8"));
  PrepareHandle();
  Set(handle_, CURLOPT_CUSTOMREQUEST, static_cast<const char*>(nullptr));
  const CurlMessageUpload upload(handle_, message);
  sending_ = true;
  try {
    PerformTrusted();
    sending_ = false;
  } catch (const SmtpFailure& failure) {
    sending_ = false;
    if (failure.Kind() == SmtpFailureKind::Cancelled) throw;
    // The transfer was abandoned because of the document, not the server.
    if (std::optional<SmtpFailure> document = upload.DocumentFailure()) throw *document;
    throw;
  }
}

void CurlSmtpClient::Disconnect() {
  if (handle_ == nullptr) return;
  CURL* handle = std::exchange(handle_, nullptr);
  // Says QUIT on a connection that still stands, then closes it. A stop
  // asked meanwhile only cuts the wait for the reply short: nothing is
  // undone by it.
  stopRequested_ = false;
  loop_.RunAside([handle] { curl_easy_cleanup(handle); }, observer_, [this] { StopNow(); });
  stopRequested_ = false;
}

void CurlSmtpClient::PerformTrusted() {
#ifdef _WIN32
  try {
    Perform();
    return;
  } catch (const SmtpFailure& failure) {
    // Windows may trust what the roots read before could not vouch for.
    std::optional<std::string> root;
    if (options_.CaFile.empty()) {
      root = RootWindowsTrusts(failure.Details(), handle_,
                               options_.ConnectTimeoutSeconds + options_.IdleTimeoutSeconds,
                               observer_);
    }
    if (!root) throw;
    UseWindowsRoots(handle_, *root);
  }
#endif
  Perform();
}

void CurlSmtpClient::Perform() {
  trace_.Reset();
  errorBuffer_[0] = '\0';
  expired_ = SmtpWaitClock::Limit::None;
  clock_.Start(SmtpWaitClock::Clock::now(), SocketConnected());
  stopRequested_ = false;
  CURLcode code = loop_.Run(handle_, observer_, [this] { StopNow(); });
  if (code == CURLE_OK) return;
  if (loop_.Cancelled()) {
    // Stopped where it stood: nothing more goes out, not even the end of
    // the message's data.
    Disconnect();
    SmtpFailureDetails cancelled = FailureDetails(SmtpFailureKind::Cancelled);
    throw SmtpFailure(std::move(cancelled));
  }
  if (code == CURLE_ABORTED_BY_CALLBACK && expired_ != SmtpWaitClock::Limit::None) {
    code = CURLE_OPERATION_TIMEDOUT;
  }
  // A session left waiting for a reply is over; libcurl may still keep it
  // and say QUIT on it at clean-up, waiting a whole time-out again.
  if (trace_.AwaitingReply()) CutSession();

  SmtpFailureDetails failure = FailureDetails(FailureKindOf(code));
  failure.LibraryCode = code;
  failure.LibraryText = curl_easy_strerror(code);
  curl_off_t connectTime = 0;
  curl_easy_getinfo(handle_, CURLINFO_CONNECT_TIME_T, &connectTime);
  failure.TcpConnected =
      expired_ != SmtpWaitClock::Limit::Connect &&
      (clock_.Connected() || connectTime > 0 || trace_.Step() != SmtpStep::Connecting);
  long osError = 0;
  curl_easy_getinfo(handle_, CURLINFO_OS_ERRNO, &osError);
#ifdef _WIN32
  failure.ConnectionRefused = osError == WSAECONNREFUSED;
#else
  failure.ConnectionRefused = osError == ECONNREFUSED;
#endif
  failure.Step = trace_.Step();
  failure.Sender = trace_.Sender();
  failure.Recipient = trace_.Recipient();
  failure.ReplyCode = trace_.ReplyCode();
  failure.ReplyText = trace_.ReplyText();
  long verifyResult = 0;
  curl_easy_getinfo(handle_, CURLINFO_SSL_VERIFYRESULT, &verifyResult);
  failure.VerifyResult = verifyResult;
  failure.LoginAwaitsTls = loginAwaitsTls_;
  failure.Detail = errorBuffer_;
  failure.TimeoutSeconds =
      failure.TcpConnected ? options_.IdleTimeoutSeconds : options_.ConnectTimeoutSeconds;
  throw SmtpFailure(std::move(failure));
}

SmtpFailureDetails CurlSmtpClient::FailureDetails(SmtpFailureKind kind) const {
  SmtpFailureDetails details;
  details.Kind = kind;
  details.Host = account_.Host();
  details.Port = account_.Port();
  details.OAuthLogin = oauth_ != nullptr;
  return details;
}

int CurlSmtpClient::OnDebug(CURL*, curl_infotype type, char* data, std::size_t size, void* self) {
  auto* client = static_cast<CurlSmtpClient*>(self);
  if (type != CURLINFO_TEXT) client->clock_.OnTraffic(SmtpWaitClock::Clock::now());
  if (type == CURLINFO_HEADER_OUT && size >= 4 && std::string_view(data, 4) == "QUIT" &&
      client->trace_.AwaitingReply()) {
    // libcurl ends a failed session with QUIT and waits a whole time-out
    // for its reply; a server that left a command unanswered will not
    // answer that either.
    client->CutSession();
  }
  if (type == CURLINFO_HEADER_OUT) {
    client->trace_.OnCommandSent(std::string_view(data, size));
  } else if (type == CURLINFO_HEADER_IN) {
    client->trace_.OnReplyReceived(std::string_view(data, size));
  }
  return 0;
}

void CurlSmtpClient::StopNow() {
  stopRequested_ = true;
  const std::lock_guard<std::mutex> lock(socketsMutex_);
  for (curl_socket_t socket : sockets_) {
    // Closed with a reset: data still queued for the server is dropped.
    linger reset{1, 0};
    setsockopt(socket, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&reset), sizeof reset);
#ifdef _WIN32
    shutdown(socket, SD_BOTH);
#else
    // Wakes libcurl's wait on the socket (it reads the end) without
    // sending the end of the stream after what is still queued.
    shutdown(socket, SHUT_RD);
#endif
  }
}

void CurlSmtpClient::CutSession() {
  // Closing our side makes every later read and write fail at once.
  const std::lock_guard<std::mutex> lock(socketsMutex_);
  for (curl_socket_t socket : sockets_) {
#ifdef _WIN32
    shutdown(socket, SD_BOTH);
#else
    shutdown(socket, SHUT_RDWR);
#endif
  }
}

int CurlSmtpClient::OnProgress(void* self, curl_off_t, curl_off_t, curl_off_t uploadTotal,
                               curl_off_t uploaded) {
  auto* client = static_cast<CurlSmtpClient*>(self);
  if (client->stopRequested_) return 1;
  if (client->sending_ && uploaded >= 0 && uploadTotal >= 0) {
    auto sent = static_cast<std::uint64_t>(uploaded);
    curl_socket_t socket = CURL_SOCKET_BAD;
    if (curl_easy_getinfo(client->handle_, CURLINFO_ACTIVESOCKET, &socket) == CURLE_OK &&
        socket != CURL_SOCKET_BAD) {
      sent -= std::min(sent, Unacknowledged(socket));
    }
    client->loop_.NoteProgress(sent, static_cast<std::uint64_t>(uploadTotal));
  }
  const auto now = SmtpWaitClock::Clock::now();
  if (!client->clock_.Connected() && client->SocketConnected()) client->clock_.OnConnected(now);
  client->expired_ = client->clock_.Expired(now);
  return client->expired_ == SmtpWaitClock::Limit::None ? 0 : 1;
}

bool CurlSmtpClient::SocketConnected() const {
  const std::lock_guard<std::mutex> lock(socketsMutex_);
  for (curl_socket_t socket : sockets_) {
    sockaddr_storage peer{};
    socklen_t length = sizeof peer;
    // Only a socket whose connection is open has a peer.
    if (getpeername(socket, reinterpret_cast<sockaddr*>(&peer), &length) == 0) return true;
  }
  return false;
}

int CurlSmtpClient::OnSocketOpened(void* self, curl_socket_t socket, curlsocktype) {
  auto* client = static_cast<CurlSmtpClient*>(self);
  const std::lock_guard<std::mutex> lock(client->socketsMutex_);
  client->sockets_.push_back(socket);
  return CURL_SOCKOPT_OK;
}

int CurlSmtpClient::OnSocketClosing(void* self, curl_socket_t socket) {
  auto* client = static_cast<CurlSmtpClient*>(self);
  const std::lock_guard<std::mutex> lock(client->socketsMutex_);
  auto& sockets = client->sockets_;
  sockets.erase(std::remove(sockets.begin(), sockets.end(), socket), sockets.end());
#ifdef _WIN32
  return closesocket(socket);
#else
  return close(socket);
#endif
}

std::size_t CurlSmtpClient::OnWrite(char*, std::size_t size, std::size_t count, void*) {
  // The NOOP's answer is protocol chatter, not data for anyone.
  return size * count;
}

}  // namespace vellumo
