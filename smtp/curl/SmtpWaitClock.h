#pragma once
// The two waiting limits of an SMTP session: opening the TCP connection,
// and then each wait for the server (a reply, or the next message of a TLS
// handshake). libcurl's own connect time-out would also cover the greeting,
// EHLO, TLS and the login, so the client keeps this clock, fed from
// libcurl's callbacks, and ends a transfer when a limit has run out.
#include <chrono>
#include <cstdint>

namespace vellumo {

class SmtpWaitClock {
 public:
  using Clock = std::chrono::steady_clock;
  enum class Limit : std::uint8_t { None, Connect, Idle };

  SmtpWaitClock(std::chrono::seconds connect, std::chrono::seconds idle)
      : connectLimit_(connect), idleLimit_(idle) {}

  // A transfer begins, on a connection already open or not.
  void Start(Clock::time_point now, bool connected);
  // The TCP connection is open; later calls change nothing.
  void OnConnected(Clock::time_point now);
  // Bytes went out or came in: the wait starts again (and the connection
  // is open).
  void OnTraffic(Clock::time_point now);

  bool Connected() const { return connected_; }
  // The limit that has run out at `now`, if any.
  Limit Expired(Clock::time_point now) const;

 private:
  std::chrono::seconds connectLimit_;
  std::chrono::seconds idleLimit_;
  bool connected_ = false;
  Clock::time_point started_{};
  Clock::time_point lastTraffic_{};
};

}  // namespace vellumo
