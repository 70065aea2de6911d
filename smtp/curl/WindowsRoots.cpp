#include "smtp/curl/WindowsRoots.h"

#include <winsock2.h>

#include <atomic>
#include <string_view>
#include <vector>

#include "smtp/curl/CurlTransferLoop.h"
#include "smtp/curl/WindowsChainTrust.h"
#include "smtp/curl/WindowsRootStore.h"

namespace vellumo {
namespace {

// libcurl's words when its chain check found no trusted root: a
// self-signed root it does not know, or none at all.
bool RootMissing(const SmtpFailureDetails& failure) {
  const std::string_view detail = failure.Detail;
  return failure.Kind == SmtpFailureKind::CertificateRejected &&
         (detail.find("CERT_TRUST_IS_UNTRUSTED_ROOT") != std::string_view::npos ||
          detail.find("CERT_TRUST_IS_PARTIAL_CHAIN") != std::string_view::npos);
}

// What stops the look at a server at once when the user cancels.
struct ProbeStop {
  std::atomic<bool> requested{false};
  std::atomic<curl_socket_t> socket{CURL_SOCKET_BAD};

  void Now() {
    requested = true;
    const curl_socket_t open = socket;
    if (open != CURL_SOCKET_BAD) shutdown(open, SD_BOTH);
  }
  static int OnSocket(void* self, curl_socket_t opened, curlsocktype) {
    static_cast<ProbeStop*>(self)->socket = opened;
    return CURL_SOCKOPT_OK;
  }
  static int OnProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<ProbeStop*>(self)->requested ? 1 : 0;
  }
};

// The certificates the server at `url` presents. Nothing of the account
// goes to the server: no login, no message.
std::vector<std::string> ServerCertificates(const char* url, long timeoutSeconds,
                                            NetworkWaitObserver* observer) {
  std::vector<std::string> certificates;
  CURL* probe = curl_easy_init();
  if (probe == nullptr) return certificates;
  ProbeStop stop;
  curl_easy_setopt(probe, CURLOPT_URL, url);
  curl_easy_setopt(probe, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
  curl_easy_setopt(probe, CURLOPT_PROXY, "");
  curl_easy_setopt(probe, CURLOPT_NOSIGNAL, 1L);
  // The first transfer reached a certificate, so the server speaks TLS.
  curl_easy_setopt(probe, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
  curl_easy_setopt(probe, CURLOPT_SSL_VERIFYPEER, 0L);
  curl_easy_setopt(probe, CURLOPT_SSL_VERIFYHOST, 0L);
  curl_easy_setopt(probe, CURLOPT_CERTINFO, 1L);
  curl_easy_setopt(probe, CURLOPT_CONNECT_ONLY, 1L);
  curl_easy_setopt(probe, CURLOPT_TIMEOUT, timeoutSeconds);
  curl_easy_setopt(probe, CURLOPT_SERVER_RESPONSE_TIMEOUT, timeoutSeconds);
  curl_easy_setopt(probe, CURLOPT_SOCKOPTFUNCTION, &ProbeStop::OnSocket);
  curl_easy_setopt(probe, CURLOPT_SOCKOPTDATA, &stop);
  curl_easy_setopt(probe, CURLOPT_XFERINFOFUNCTION, &ProbeStop::OnProgress);
  curl_easy_setopt(probe, CURLOPT_XFERINFODATA, &stop);
  curl_easy_setopt(probe, CURLOPT_NOPROGRESS, 0L);
  CurlTransferLoop loop;
  const auto stopNow = [&stop] { stop.Now(); };
  curl_certinfo* info = nullptr;
  if (loop.Run(probe, observer, stopNow) == CURLE_OK &&
      curl_easy_getinfo(probe, CURLINFO_CERTINFO, &info) == CURLE_OK && info != nullptr) {
    for (int i = 0; i < info->num_of_certs; ++i) {
      for (curl_slist* field = info->certinfo[i]; field != nullptr; field = field->next) {
        const std::string_view text = field->data;
        if (text.starts_with("Cert:")) certificates.emplace_back(text.substr(5));
      }
    }
  }
  const bool cancelled = loop.Cancelled();
  // Says QUIT, which may wait for its reply.
  loop.RunAside([probe] { curl_easy_cleanup(probe); }, observer, stopNow);
  if (cancelled || loop.Cancelled()) throw SimpleSmtpFailure(SmtpFailureKind::Cancelled);
  return certificates;
}

}  // namespace

void UseWindowsRoots(CURL* handle, const std::string& extraRoot) {
  std::optional<std::string> roots = WindowsRootCertificatesPem();
  if (!roots) throw SimpleSmtpFailure(SmtpFailureKind::TrustStoreUnreadable);
  *roots += extraRoot;
  curl_blob blob{roots->data(), roots->size(), CURL_BLOB_COPY};
  if (curl_easy_setopt(handle, CURLOPT_CAINFO_BLOB, &blob) != CURLE_OK) {
    throw SimpleSmtpFailure(SmtpFailureKind::SettingRefused);
  }
}

std::optional<std::string> RootWindowsTrusts(const SmtpFailureDetails& failure, CURL* handle,
                                             long timeoutSeconds, NetworkWaitObserver* observer) {
  if (!RootMissing(failure)) return std::nullopt;
  const char* url = nullptr;
  if (curl_easy_getinfo(handle, CURLINFO_EFFECTIVE_URL, &url) != CURLE_OK || url == nullptr) {
    return std::nullopt;
  }
  const std::vector<std::string> certificates = ServerCertificates(url, timeoutSeconds, observer);
  if (certificates.empty()) return std::nullopt;
  return WindowsTrustedRoot(certificates, failure.Host);
}

}  // namespace vellumo
