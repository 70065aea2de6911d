#include "smtp/curl/CurlMessageUpload.h"

#include <utility>

#include "mail/OutgoingMessage.h"
#include "smtp/SmtpFailure.h"
#include "smtp/curl/AttachmentStream.h"

namespace vellumo {
namespace {

curl_slist* Append(curl_slist* list, const std::string& line) {
  curl_slist* grown = curl_slist_append(list, line.c_str());
  if (grown == nullptr) {
    curl_slist_free_all(list);
    throw SimpleSmtpFailure(SmtpFailureKind::MessageNotPrepared);
  }
  return grown;
}

// The upper bound libcurl documents for CURLOPT_UPLOAD_BUFFERSIZE (2 MiB).
constexpr long kUploadBufferSize = 2L * 1024 * 1024;

void Check(CURLcode code) {
  if (code != CURLE_OK) {
    SmtpFailureDetails details;
    details.Kind = SmtpFailureKind::MessageRefusedByLibrary;
    details.LibraryCode = code;
    details.LibraryText = curl_easy_strerror(code);
    throw SmtpFailure(std::move(details));
  }
}

}  // namespace

CurlMessageUpload::CurlMessageUpload(CURL* handle, const OutgoingMessage& message)
    : handle_(handle) {
  const MessageEnvelope& envelope = message.Envelope();
  const std::optional<MessageAttachment>& attachment = message.Attachment();
  // Opened now, when the send begins: what goes out is the file as it is now.
  if (attachment) attachment_ = std::make_unique<AttachmentStream>(attachment->Path);

  try {
    for (const std::string& recipient : envelope.Recipients) {
      recipients_ = Append(recipients_, recipient);
    }
    for (const std::string& line : message.Headers()) headers_ = Append(headers_, line);

    mime_ = curl_mime_init(handle_);
    if (mime_ == nullptr) throw SimpleSmtpFailure(SmtpFailureKind::MessageNotPrepared);
    const std::string& body = message.Body();
    curl_mimepart* text = curl_mime_addpart(mime_);
    if (text == nullptr) throw SimpleSmtpFailure(SmtpFailureKind::MessageNotPrepared);
    Check(curl_mime_data(text, body.data(), body.size()));
    Check(curl_mime_type(text, OutgoingMessage::kBodyContentType));
    // Keeps lines short and 8-bit text safe whatever the server supports.
    Check(curl_mime_encoder(text, "quoted-printable"));

    if (attachment) {
      curl_mimepart* file = curl_mime_addpart(mime_);
      if (file == nullptr) throw SimpleSmtpFailure(SmtpFailureKind::MessageNotPrepared);
      // Streamed from disk while sending, never held whole in memory; the
      // stream encodes it, so the transfer encoding is ours to name.
      Check(curl_mime_data_cb(file, attachment_->EncodedSize(), &AttachmentStream::Read,
                              &AttachmentStream::Seek, nullptr, attachment_.get()));
      Check(curl_mime_type(file, attachment->ContentType.c_str()));
      // The message's own Content-Disposition carries the exact (RFC 2231) name.
      curl_slist* partHeaders = Append(nullptr, attachment->Disposition);
      partHeaders = Append(partHeaders, "Content-Transfer-Encoding: base64");
      const CURLcode taken = curl_mime_headers(file, partHeaders, 1);
      if (taken != CURLE_OK) curl_slist_free_all(partHeaders);
      Check(taken);
    }

    Check(curl_easy_setopt(handle_, CURLOPT_MAIL_FROM, envelope.MailFrom.c_str()));
    Check(curl_easy_setopt(handle_, CURLOPT_MAIL_RCPT, recipients_));
    Check(curl_easy_setopt(handle_, CURLOPT_HTTPHEADER, headers_));
    Check(curl_easy_setopt(handle_, CURLOPT_MIMEPOST, mime_));
    // The largest upload buffer libcurl accepts: fewer, fuller writes to the
    // socket for a large attachment. Only a send ever allocates it.
    Check(curl_easy_setopt(handle_, CURLOPT_UPLOAD_BUFFERSIZE, kUploadBufferSize));
  } catch (...) {
    Release();
    throw;
  }
}

CurlMessageUpload::~CurlMessageUpload() { Release(); }

std::optional<SmtpFailure> CurlMessageUpload::DocumentFailure() const {
  if (!attachment_) return std::nullopt;
  return attachment_->Failure();
}

void CurlMessageUpload::Release() {
  curl_easy_setopt(handle_, CURLOPT_MIMEPOST, nullptr);
  curl_easy_setopt(handle_, CURLOPT_HTTPHEADER, nullptr);
  curl_easy_setopt(handle_, CURLOPT_MAIL_RCPT, nullptr);
  curl_easy_setopt(handle_, CURLOPT_MAIL_FROM, nullptr);
  curl_mime_free(mime_);
  curl_slist_free_all(headers_);
  curl_slist_free_all(recipients_);
  mime_ = nullptr;
  headers_ = nullptr;
  recipients_ = nullptr;
}

}  // namespace vellumo
