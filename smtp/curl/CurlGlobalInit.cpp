#include "smtp/curl/CurlGlobalInit.h"

#include <curl/curl.h>

#include "smtp/SmtpFailure.h"

namespace vellumo {

CurlGlobalInit::CurlGlobalInit() : ok_(curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK) {}

CurlGlobalInit::~CurlGlobalInit() {
  if (ok_) curl_global_cleanup();
}

void CurlGlobalInit::Ensure() {
  static const CurlGlobalInit instance;
  if (!instance.ok_) {
    throw SimpleSmtpFailure(SmtpFailureKind::LibraryNotInitialised);
  }
}

}  // namespace vellumo
