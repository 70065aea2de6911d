#include "smtp/curl/WindowsRootStore.h"

// clang-format off
#include <windows.h>
#include <wincrypt.h>
// clang-format on

#include <cstring>
#include <string_view>
#include <vector>

namespace vellumo {
namespace {

// A user's store may not exist yet (a new profile); opening it read-only
// still gives the machine's part of the view.
HCERTSTORE OpenSystemStore(DWORD location, const wchar_t* name) {
  return CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, location | CERT_STORE_READONLY_FLAG, name);
}

// Windows lets a root's properties narrow what it is trusted for; a root
// kept for, say, code signing only must not vouch for a mail server.
bool TrustedForServers(PCCERT_CONTEXT certificate) {
  DWORD size = 0;
  if (!CertGetEnhancedKeyUsage(certificate, CERT_FIND_PROP_ONLY_ENHKEY_USAGE_FLAG, nullptr,
                               &size)) {
    return GetLastError() == static_cast<DWORD>(CRYPT_E_NOT_FOUND);  // no restriction
  }
  std::vector<BYTE> buffer(size);
  auto* usage = reinterpret_cast<CERT_ENHKEY_USAGE*>(buffer.data());
  if (!CertGetEnhancedKeyUsage(certificate, CERT_FIND_PROP_ONLY_ENHKEY_USAGE_FLAG, usage, &size)) {
    return false;
  }
  if (usage->cUsageIdentifier == 0) return GetLastError() == static_cast<DWORD>(CRYPT_E_NOT_FOUND);
  for (DWORD i = 0; i < usage->cUsageIdentifier; ++i) {
    if (std::string_view(usage->rgpszUsageIdentifier[i]) == szOID_PKIX_KP_SERVER_AUTH) return true;
  }
  return false;
}

bool Disallowed(HCERTSTORE disallowed, PCCERT_CONTEXT certificate) {
  if (disallowed == nullptr) return false;
  PCCERT_CONTEXT found = CertFindCertificateInStore(disallowed, X509_ASN_ENCODING, 0,
                                                    CERT_FIND_EXISTING, certificate, nullptr);
  if (found == nullptr) return false;
  CertFreeCertificateContext(found);
  return true;
}

void AppendRoots(HCERTSTORE store, HCERTSTORE disallowed, std::string& pem) {
  if (store == nullptr) return;
  PCCERT_CONTEXT certificate = nullptr;
  while ((certificate = CertEnumCertificatesInStore(store, certificate)) != nullptr) {
    if ((certificate->dwCertEncodingType & X509_ASN_ENCODING) == 0) continue;
    if (!TrustedForServers(certificate) || Disallowed(disallowed, certificate)) continue;
    pem += CertificatePem(certificate->pbCertEncoded, certificate->cbCertEncoded);
  }
  CertCloseStore(store, 0);
}

}  // namespace

std::string CertificatePem(const unsigned char* der, unsigned long size) {
  DWORD length = 0;
  const DWORD flags = CRYPT_STRING_BASE64HEADER;
  if (!CryptBinaryToStringA(der, size, flags, nullptr, &length)) return {};
  std::string pem(length, '\0');
  if (!CryptBinaryToStringA(der, size, flags, pem.data(), &length)) return {};
  // Some writers count the terminating NUL in the length.
  pem.resize(std::strlen(pem.c_str()));
  return pem;
}

std::optional<std::string> WindowsRootCertificatesPem() {
  HCERTSTORE root = OpenSystemStore(CERT_SYSTEM_STORE_CURRENT_USER, L"ROOT");
  if (root == nullptr) return std::nullopt;
  // The user's Disallowed view includes the machine's.
  HCERTSTORE disallowed = OpenSystemStore(CERT_SYSTEM_STORE_CURRENT_USER, L"Disallowed");
  std::string pem;
  // The user's ROOT view includes the machine's ROOT; AuthRoot is read on
  // its own in case a view leaves it out. A root read twice does no harm.
  AppendRoots(root, disallowed, pem);
  AppendRoots(OpenSystemStore(CERT_SYSTEM_STORE_LOCAL_MACHINE, L"AuthRoot"), disallowed, pem);
  if (disallowed != nullptr) CertCloseStore(disallowed, 0);
  return pem;
}

}  // namespace vellumo
