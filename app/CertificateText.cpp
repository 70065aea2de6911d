#include "app/CertificateText.h"

#include <string_view>

#include "smtp/SmtpFailure.h"
#include "text/PrintableExcerpt.h"

namespace vellumo {
namespace {

// Schannel gives no verification code; libcurl's error text names the
// verdict instead: the chain engine's trust error when libcurl checks the
// chain itself, Schannel's status when Schannel does.
struct SchannelVerdict {
  std::string_view word;
  const char* sentenceEnd;
};
constexpr const char* kUnknownAuthority = " n'est pas reconnu (autorité de certification inconnue).";
constexpr const char* kOtherName = " a été émis pour un autre nom de serveur.";
constexpr const char* kExpired = " a expiré.";
constexpr const char* kRevoked = " a été révoqué.";
constexpr SchannelVerdict kSchannelVerdicts[] = {
    {"CERT_TRUST_IS_UNTRUSTED_ROOT", kUnknownAuthority},
    {"CERT_TRUST_IS_PARTIAL_CHAIN", kUnknownAuthority},
    {"SEC_E_UNTRUSTED_ROOT", kUnknownAuthority},
    {"SEC_E_ISSUING_CA_UNTRUSTED", kUnknownAuthority},
    {"CERT_TRUST_IS_NOT_TIME_VALID", " a expiré ou n'est pas encore valide."},
    {"SEC_E_CERT_EXPIRED", kExpired},
    {"CERT_TRUST_IS_REVOKED", kRevoked},
    {"CRYPT_E_REVOKED", kRevoked},
    {"failed to match connection hostname", kOtherName},
    {"SEC_E_WRONG_PRINCIPAL", kOtherName},
};

const char* SchannelVerdictOf(std::string_view detail) {
  for (const SchannelVerdict& verdict : kSchannelVerdicts) {
    if (detail.find(verdict.word) != std::string_view::npos) return verdict.sentenceEnd;
  }
  return nullptr;
}

}  // namespace

bool NamesCertificateVerdict(const std::string& detail) {
  return SchannelVerdictOf(detail) != nullptr;
}

std::string CertificateText(const SmtpFailureDetails& f, const std::string& server) {
  const std::string start = "le certificat du " + server;
  if (const char* end = SchannelVerdictOf(f.Detail)) return start + end;
  switch (f.VerifyResult) {
    case 18:  // X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT
    case 19:  // X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN
      return start + " n'est pas reconnu (certificat auto-signé).";
    case 2:   // X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT
    case 20:  // X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY
    case 21:  // X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE
      return start + kUnknownAuthority;
    case 10:  // X509_V_ERR_CERT_HAS_EXPIRED
      return start + kExpired;
    case 9:  // X509_V_ERR_CERT_NOT_YET_VALID
      return start + " n'est pas encore valide.";
    case 23:  // X509_V_ERR_CERT_REVOKED
      return start + kRevoked;
    case 62:  // X509_V_ERR_HOSTNAME_MISMATCH
      return start + kOtherName;
    default:
      break;
  }
  // libcurl checks the host name itself once the chain is trusted, and
  // then reports a non-zero placeholder result.
  const std::string_view detail = f.Detail;
  if (detail.find("host name") != std::string_view::npos ||
      detail.find("subject name") != std::string_view::npos) {
    return start + kOtherName;
  }
  if (f.VerifyResult != 0) {
    return start + " n'a pas pu être vérifié (code de vérification " +
           std::to_string(f.VerifyResult) + ").";
  }
  return start + " n'a pas pu être vérifié" +
         (f.Detail.empty()
              ? std::string()
              : " (" + PrintableExcerpt(f.Detail, 200, ExcerptStyle::Collapsed) + ")") +
         ".";
}

}  // namespace vellumo
