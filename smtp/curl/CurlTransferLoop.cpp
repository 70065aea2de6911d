#include "smtp/curl/CurlTransferLoop.h"

namespace vellumo {

CurlTransferLoop::CurlTransferLoop() : multi_(curl_multi_init()) {}

CurlTransferLoop::~CurlTransferLoop() {
  if (added_ != nullptr) curl_multi_remove_handle(multi_, added_);
  if (multi_ != nullptr) curl_multi_cleanup(multi_);
}

void CurlTransferLoop::Release(CURL* easy) {
  if (easy == nullptr || easy != added_) return;
  curl_multi_remove_handle(multi_, easy);
  added_ = nullptr;
}

CURLcode CurlTransferLoop::Run(CURL* easy, NetworkWaitObserver* observer) {
  using Clock = std::chrono::steady_clock;
  cancelled_ = false;
  if (multi_ == nullptr) return CURLE_OUT_OF_MEMORY;
  // A finished transfer is started again by taking its handle out and
  // adding it back.
  if (added_ != nullptr) curl_multi_remove_handle(multi_, added_);
  added_ = nullptr;
  if (curl_multi_add_handle(multi_, easy) != CURLM_OK) return CURLE_OUT_OF_MEMORY;
  added_ = easy;

  Clock::time_point lastCall = Clock::now();
  for (;;) {
    int running = 0;
    if (curl_multi_perform(multi_, &running) != CURLM_OK) return CURLE_OUT_OF_MEMORY;
    if (running == 0) break;
    // A fast upload keeps the socket writable and this loop busy: the
    // observer runs on a steady beat, not on every turn.
    const Clock::time_point now = Clock::now();
    if (observer != nullptr && now - lastCall >= kWaitSlice) {
      lastCall = now;
      if (observer->OnWaiting()) {
        cancelled_ = true;
        return CURLE_ABORTED_BY_CALLBACK;
      }
    }
    int ready = 0;
    const auto slice = static_cast<int>(kWaitSlice.count());
    if (curl_multi_poll(multi_, nullptr, 0, slice, &ready) != CURLM_OK) return CURLE_OUT_OF_MEMORY;
  }

  CURLcode result = CURLE_OK;
  int left = 0;
  while (CURLMsg* message = curl_multi_info_read(multi_, &left)) {
    if (message->msg == CURLMSG_DONE && message->easy_handle == easy) result = message->data.result;
  }
  return result;
}

}  // namespace vellumo
