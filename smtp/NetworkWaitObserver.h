#pragma once
// What a client lets its caller do while it waits on the network. The run
// stays one sequence of steps on the GUI thread: the client calls back
// between short waits on its sockets, so the caller can handle window events
// and stop the work.
#include <cstdint>

namespace vellumo {

class NetworkWaitObserver {
 public:
  virtual ~NetworkWaitObserver() = default;

  // Called every few hundredths of a second while the client waits or
  // transfers. Returns true when the caller wants the work stopped: the
  // client then cuts the connection at once and throws SmtpFailure of kind
  // Cancelled.
  virtual bool OnWaiting() = 0;
  // The message's bytes handed to the connection so far, of `total`; called
  // as the message goes, from the start of the send to its end.
  virtual void OnMessageProgress(std::uint64_t sent, std::uint64_t total) = 0;
};

}  // namespace vellumo
