#include "smtp/curl/CurlTransferLoop.h"

#include <exception>
#include <future>
#include <thread>

namespace vellumo {

void CurlTransferLoop::NoteProgress(std::uint64_t sent, std::uint64_t total) {
  sent_ = sent;
  total_ = total;
  progressNoted_ = true;
}

CURLcode CurlTransferLoop::Run(CURL* easy, NetworkWaitObserver* observer,
                               const std::function<void()>& stop) {
  CURLcode result = CURLE_OK;
  RunAside([easy, &result] { result = curl_easy_perform(easy); }, observer, stop);
  return result;
}

void CurlTransferLoop::RunAside(const std::function<void()>& work, NetworkWaitObserver* observer,
                                const std::function<void()>& stop) {
  cancelled_ = false;
  progressNoted_ = false;
  std::packaged_task<void()> task(work);
  std::future<void> done = task.get_future();
  std::thread worker(std::move(task));
  bool stopAsked = false;
  const auto stopOnce = [&] {
    if (stopAsked) return;
    stopAsked = true;
    if (stop) stop();
  };
  try {
    while (done.wait_for(kWaitSlice) != std::future_status::ready) {
      if (observer == nullptr) continue;
      if (progressNoted_.exchange(false)) observer->OnMessageProgress(sent_, total_);
      if (!stopAsked && observer->OnWaiting()) {
        cancelled_ = true;
        stopOnce();
      }
    }
  } catch (...) {
    // The observer failed: the work must not outlive this call.
    stopOnce();
    worker.join();
    throw;
  }
  worker.join();
  if (observer != nullptr && progressNoted_.exchange(false))
    observer->OnMessageProgress(sent_, total_);
  done.get();  // rethrows what the work threw
}

}  // namespace vellumo
