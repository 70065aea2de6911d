#include "smtp/curl/SmtpWaitClock.h"

namespace vellumo {

void SmtpWaitClock::Start(Clock::time_point now, bool connected) {
  started_ = now;
  lastTraffic_ = now;
  connected_ = connected;
}

void SmtpWaitClock::OnConnected(Clock::time_point now) {
  if (connected_) return;
  connected_ = true;
  lastTraffic_ = now;
}

void SmtpWaitClock::OnTraffic(Clock::time_point now) {
  connected_ = true;  // nothing flows on a connection not yet open
  lastTraffic_ = now;
}

SmtpWaitClock::Limit SmtpWaitClock::Expired(Clock::time_point now) const {
  if (!connected_) return now - started_ >= connectLimit_ ? Limit::Connect : Limit::None;
  return now - lastTraffic_ >= idleLimit_ ? Limit::Idle : Limit::None;
}

}  // namespace vellumo
