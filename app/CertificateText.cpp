#include "app/CertificateText.h"

#include <string_view>

#include "smtp/SmtpFailure.h"
#include "text/PrintableExcerpt.h"

namespace vellumo {

std::string CertificateText(const SmtpFailureDetails& f, const std::string& server) {
  const std::string start = "le certificat du " + server;
  switch (f.VerifyResult) {
    case 18:  // X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT
    case 19:  // X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN
      return start + " n'est pas reconnu (certificat auto-signé).";
    case 2:   // X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT
    case 20:  // X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY
    case 21:  // X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE
      return start + " n'est pas reconnu (autorité de certification inconnue).";
    case 10:  // X509_V_ERR_CERT_HAS_EXPIRED
      return start + " a expiré.";
    case 9:  // X509_V_ERR_CERT_NOT_YET_VALID
      return start + " n'est pas encore valide.";
    case 23:  // X509_V_ERR_CERT_REVOKED
      return start + " a été révoqué.";
    case 62:  // X509_V_ERR_HOSTNAME_MISMATCH
      return start + " a été émis pour un autre nom de serveur.";
    default:
      break;
  }
  // libcurl checks the host name itself once the chain is trusted, and
  // then reports a non-zero placeholder result.
  const std::string_view detail = f.Detail;
  if (detail.find("host name") != std::string_view::npos ||
      detail.find("subject name") != std::string_view::npos) {
    return start + " a été émis pour un autre nom de serveur.";
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
