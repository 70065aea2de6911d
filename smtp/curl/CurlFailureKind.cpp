#include "smtp/curl/CurlFailureKind.h"

namespace vellumo {

SmtpFailureKind FailureKindOf(CURLcode code) {
  using Kind = SmtpFailureKind;
  switch (code) {
    case CURLE_URL_MALFORMAT:
      return Kind::InvalidHostName;
    case CURLE_COULDNT_RESOLVE_HOST:
      return Kind::HostNotFound;
    case CURLE_COULDNT_CONNECT:
      return Kind::ConnectFailed;
    case CURLE_OPERATION_TIMEDOUT:
      return Kind::TimedOut;
    case CURLE_PEER_FAILED_VERIFICATION:
      return Kind::CertificateRejected;
    case CURLE_SSL_CACERT_BADFILE:
      return Kind::TrustStoreUnreadable;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_ENGINE_INITFAILED:
    case CURLE_SSL_SHUTDOWN_FAILED:
      return Kind::TlsFailed;
    case CURLE_READ_ERROR:
      return Kind::AttachmentReadFailed;
    case CURLE_OUT_OF_MEMORY:
      return Kind::OutOfMemory;
    case CURLE_LOGIN_DENIED:
      return Kind::LoginDenied;
    case CURLE_USE_SSL_FAILED:
      return Kind::StartTlsRequired;
    case CURLE_REMOTE_ACCESS_DENIED:
      return Kind::AccessDenied;
    case CURLE_RECV_ERROR:
      return Kind::ReceiveFailed;
    case CURLE_SEND_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
    case CURLE_UPLOAD_FAILED:
      return Kind::ConnectionLost;
    case CURLE_WEIRD_SERVER_REPLY:
      return Kind::OddReply;
    default:
      break;
  }
  return Kind::TransferFailed;
}

}  // namespace vellumo
