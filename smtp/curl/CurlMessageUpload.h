#pragma once
// Puts one MailMessage on a libcurl handle for sending: envelope, top-level
// headers and a MIME body made of a quoted-printable UTF-8 text part and the
// attachment streamed from its file in base64. Owns what it gives libcurl
// and takes it back from the handle when destroyed.
#include <curl/curl.h>

#include <ctime>
#include <string>

namespace vellumo {

class MailMessage;

class CurlMessageUpload {
 public:
  // Throws MailError (French) when the envelope cannot be built or the
  // attachment file is missing or unreadable: nothing is set on the handle.
  CurlMessageUpload(CURL* handle, const MailMessage& message, std::time_t now);
  ~CurlMessageUpload();
  CurlMessageUpload(const CurlMessageUpload&) = delete;
  CurlMessageUpload& operator=(const CurlMessageUpload&) = delete;

 private:
  void Release();

  CURL* handle_;
  curl_slist* recipients_ = nullptr;
  curl_slist* headers_ = nullptr;
  curl_mime* mime_ = nullptr;
};

// Throws MailError naming the file when it does not exist, is not a
// regular file or cannot be opened for reading.
void CheckAttachmentReadable(const std::string& storedPath);

}  // namespace vellumo
