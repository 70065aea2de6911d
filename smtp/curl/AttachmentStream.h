#pragma once
// The attached document as libcurl reads it while sending (through
// curl_mime_data_cb): opened once when the send begins, never in a way that
// could block, and given out in base64 exactly as it was then. If the file
// changes or cannot be read to its end meanwhile, the read aborts the
// transfer, so the server never gets the final "." of a torn message.
#include <curl/curl.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/RegularFile.h"
#include "smtp/SmtpFailure.h"
#include "smtp/curl/Base64Lines.h"

namespace vellumo {

class AttachmentStream {
 public:
  // Throws SmtpFailure naming the file when it does not exist, is not a
  // regular file (a pipe, a device, a folder) or cannot be opened.
  explicit AttachmentStream(const std::string& storedPath);
  AttachmentStream(const AttachmentStream&) = delete;
  AttachmentStream& operator=(const AttachmentStream&) = delete;

  // The length of the base64 text, CRLFs included.
  curl_off_t EncodedSize() const;
  // Why the stream stopped the transfer; nothing when it did not.
  std::optional<SmtpFailure> Failure() const {
    if (!failure_) return std::nullopt;
    return DocumentFailure(*failure_);
  }

  // libcurl's read and seek callbacks; `self` is the stream.
  static std::size_t Read(char* buffer, std::size_t size, std::size_t count, void* self);
  static int Seek(void* self, curl_off_t offset, int origin);

 private:
  SmtpFailure DocumentFailure(SmtpFailureKind kind) const;
  std::size_t ReadInto(char* buffer, std::size_t size);
  bool Refill();
  bool Changed();

  std::string path_;
  RegularFile file_;
  std::uint64_t consumed_ = 0;  // document bytes read so far
  Base64Lines encoder_;
  std::unique_ptr<char[]> chunk_;  // the document's bytes being encoded
  std::string pending_;  // encoded text not yet given to libcurl
  std::size_t pendingAt_ = 0;
  std::optional<SmtpFailureKind> failure_;
};

}  // namespace vellumo
