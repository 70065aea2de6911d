#pragma once
// Puts one OutgoingMessage on a libcurl handle for sending: its envelope and
// header lines as they are, and a MIME body made of a quoted-printable text
// part and the attachment streamed from its file in base64. Owns what it gives libcurl
// and takes it back from the handle when destroyed.
#include <curl/curl.h>

#include <memory>
#include <optional>
#include <string>

#include "smtp/SmtpFailure.h"

namespace vellumo {

class AttachmentStream;
class OutgoingMessage;

class CurlMessageUpload {
 public:
  // Throws SmtpFailure when the attachment file is missing, not a regular
  // file or unreadable: nothing is set on the handle.
  CurlMessageUpload(CURL* handle, const OutgoingMessage& message);
  ~CurlMessageUpload();
  CurlMessageUpload(const CurlMessageUpload&) = delete;
  CurlMessageUpload& operator=(const CurlMessageUpload&) = delete;

  // After a failed transfer: why the document stopped it (it changed or
  // could not be read to its end); nothing when it did not.
  std::optional<SmtpFailure> DocumentFailure() const;

 private:
  void Release();

  CURL* handle_;
  curl_slist* recipients_ = nullptr;
  curl_slist* headers_ = nullptr;
  std::unique_ptr<AttachmentStream> attachment_;  // outlives mime_, which reads it
  curl_mime* mime_ = nullptr;
};

}  // namespace vellumo
