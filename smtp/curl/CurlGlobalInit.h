#pragma once
// libcurl's process-wide set-up, done once before the first handle and
// undone at process end. Not thread-safe on libcurl's side, so it happens
// on first use from the thread that makes the clients.
namespace vellumo {

class CurlGlobalInit {
 public:
  // Initialises libcurl once; throws SmtpFailure if it cannot.
  static void Ensure();

 private:
  CurlGlobalInit();
  ~CurlGlobalInit();
  CurlGlobalInit(const CurlGlobalInit&) = delete;
  CurlGlobalInit& operator=(const CurlGlobalInit&) = delete;

  bool ok_ = false;
};

}  // namespace vellumo
