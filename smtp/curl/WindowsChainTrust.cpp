#include "smtp/curl/WindowsChainTrust.h"

// clang-format off
#include <windows.h>
#include <wincrypt.h>
// clang-format on

#include "smtp/curl/WindowsRootStore.h"

namespace vellumo {
namespace {

std::wstring Wide(const std::string& utf8) {
  const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                         static_cast<int>(utf8.size()), nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                      wide.data(), length);
  return wide;
}

bool AddPem(HCERTSTORE store, const std::string& pem) {
  DWORD size = 0;
  if (!CryptStringToBinaryA(pem.data(), static_cast<DWORD>(pem.size()), CRYPT_STRING_BASE64HEADER,
                            nullptr, &size, nullptr, nullptr)) {
    return false;
  }
  std::string der(size, '\0');
  if (!CryptStringToBinaryA(pem.data(), static_cast<DWORD>(pem.size()), CRYPT_STRING_BASE64HEADER,
                            reinterpret_cast<BYTE*>(der.data()), &size, nullptr, nullptr)) {
    return false;
  }
  return CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING,
                                          reinterpret_cast<const BYTE*>(der.data()), size,
                                          CERT_STORE_ADD_USE_EXISTING, nullptr) != FALSE;
}

bool Issued(PCCERT_CONTEXT issuer, PCCERT_CONTEXT subject) {
  return issuer != subject &&
         CertCompareCertificateName(X509_ASN_ENCODING, &subject->pCertInfo->Issuer,
                                    &issuer->pCertInfo->Subject);
}

// The certificate that issued none of the others: the server's own.
PCCERT_CONTEXT ServerCertificate(HCERTSTORE store) {
  PCCERT_CONTEXT candidate = nullptr;
  while ((candidate = CertEnumCertificatesInStore(store, candidate)) != nullptr) {
    bool issuer = false;
    PCCERT_CONTEXT other = nullptr;
    while (!issuer && (other = CertEnumCertificatesInStore(store, other)) != nullptr) {
      issuer = Issued(candidate, other);
    }
    if (other != nullptr) CertFreeCertificateContext(other);
    if (!issuer) return candidate;
  }
  return nullptr;
}

// Windows' SSL policy for `host` on `chain`.
bool PolicyAccepts(PCCERT_CHAIN_CONTEXT chain, const std::string& host) {
  std::wstring name = Wide(host);
  if (name.empty()) return false;
  SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl{};
  ssl.cbSize = sizeof ssl;
  ssl.dwAuthType = AUTHTYPE_SERVER;
  ssl.pwszServerName = name.data();
  CERT_CHAIN_POLICY_PARA para{};
  para.cbSize = sizeof para;
  para.pvExtraPolicyPara = &ssl;
  CERT_CHAIN_POLICY_STATUS status{};
  status.cbSize = sizeof status;
  return CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &para, &status) &&
         status.dwError == 0;
}

}  // namespace

std::optional<std::string> WindowsTrustedRoot(const std::vector<std::string>& serverCertificates,
                                              const std::string& host) {
  HCERTSTORE sent =
      CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, CERT_STORE_CREATE_NEW_FLAG, nullptr);
  if (sent == nullptr) return std::nullopt;
  for (const std::string& pem : serverCertificates) AddPem(sent, pem);
  std::optional<std::string> root;
  if (PCCERT_CONTEXT server = ServerCertificate(sent)) {
    char serverAuth[] = szOID_PKIX_KP_SERVER_AUTH;
    LPSTR usages[] = {serverAuth};
    CERT_CHAIN_PARA para{};
    para.cbSize = sizeof para;
    para.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
    para.RequestedUsage.Usage.cUsageIdentifier = 1;
    para.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
    PCCERT_CHAIN_CONTEXT chain = nullptr;
    // The default engine: Windows' own stores, and its on-demand fetching.
    // Revocation is left to libcurl's check, which runs again when Windows
    // trusts the chain.
    if (CertGetCertificateChain(nullptr, server, nullptr, sent, &para, 0, nullptr, &chain)) {
      if (PolicyAccepts(chain, host) && chain->cChain > 0) {
        const CERT_SIMPLE_CHAIN* simple = chain->rgpChain[0];
        const CERT_CONTEXT* anchor = simple->rgpElement[simple->cElement - 1]->pCertContext;
        root = CertificatePem(anchor->pbCertEncoded, anchor->cbCertEncoded);
      }
      CertFreeCertificateChain(chain);
    }
    CertFreeCertificateContext(server);
  }
  CertCloseStore(sent, 0);
  return root;
}

}  // namespace vellumo
