#pragma once
// Runs a blocking libcurl call (a transfer, a clean-up that says QUIT) on a
// worker thread while the calling thread goes on: every few hundredths of a
// second it calls the wait observer, which handles the dialog's events and
// may ask to stop. The run itself stays one sequence of steps on the calling
// thread, which waits here for the call to end.
//
// A worker thread rather than libcurl's multi interface: libcurl 7.88 still
// blocks inside a multi transfer while it waits for the reply to the end of
// a message and for the reply to QUIT, up to the whole reply time-out.
#include <curl/curl.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>

#include "smtp/NetworkWaitObserver.h"

namespace vellumo {

class CurlTransferLoop {
 public:
  // How often the observer is called.
  static constexpr std::chrono::milliseconds kWaitSlice{20};

  // Runs curl_easy_perform(easy) aside and returns its result. When the
  // observer asks to stop, `stop` is called once, on this thread: it must
  // make the transfer end at once (shut its sockets down, have its progress
  // callback give up). Cancelled() then tells that the stop was asked.
  CURLcode Run(CURL* easy, NetworkWaitObserver* observer, const std::function<void()>& stop = {});
  // Runs `work` aside the same way.
  void RunAside(const std::function<void()>& work, NetworkWaitObserver* observer,
                const std::function<void()>& stop = {});
  bool Cancelled() const { return cancelled_; }

  // From the worker (a progress callback): the message's bytes sent so
  // far; the calling thread hands them to the observer.
  void NoteProgress(std::uint64_t sent, std::uint64_t total);

 private:
  std::atomic<std::uint64_t> sent_{0};
  std::atomic<std::uint64_t> total_{0};
  std::atomic<bool> progressNoted_{false};
  bool cancelled_ = false;
};

}  // namespace vellumo
