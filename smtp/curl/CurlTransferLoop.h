#pragma once
// Runs libcurl transfers through its multi interface, so that waiting on the
// network never blocks the caller's thread for long: between short waits on
// the sockets the observer is called, and may stop the transfer.
//
// The multi handle holds the connection cache: a connection kept after one
// transfer is reused by the next one on the same easy handle, and the easy
// handle stays added between transfers so that libcurl still reports it.
#include <curl/curl.h>

#include <chrono>

#include "smtp/NetworkWaitObserver.h"

namespace vellumo {

class CurlTransferLoop {
 public:
  // How long one wait on the sockets may last before the observer is
  // called again, and how often at most the observer is called.
  static constexpr std::chrono::milliseconds kWaitSlice{20};

  CurlTransferLoop();
  // Says QUIT on connections still open (SMTP) and closes them.
  ~CurlTransferLoop();
  CurlTransferLoop(const CurlTransferLoop&) = delete;
  CurlTransferLoop& operator=(const CurlTransferLoop&) = delete;

  bool Ready() const { return multi_ != nullptr; }

  // Runs one transfer of `easy` to its end and returns libcurl's result.
  // When `observer` asks to stop, returns CURLE_ABORTED_BY_CALLBACK at once
  // with Cancelled() true; the transfer is left unfinished and the caller
  // must Release the handle (its connection is then closed, nothing more is
  // sent on it).
  CURLcode Run(CURL* easy, NetworkWaitObserver* observer);
  bool Cancelled() const { return cancelled_; }

  // Takes `easy` out before it is cleaned up; its connection stays cached
  // here when its last transfer ended well.
  void Release(CURL* easy);

 private:
  CURLM* multi_ = nullptr;
  CURL* added_ = nullptr;
  bool cancelled_ = false;
};

}  // namespace vellumo
