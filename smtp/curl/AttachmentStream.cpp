#include "smtp/curl/AttachmentStream.h"

#include <algorithm>
#include <cerrno>
#include <utility>
#include <memory>

#include "smtp/SmtpFailure.h"

namespace vellumo {
namespace {

// Whole base64 lines (57 bytes each) per read of the file.
constexpr std::size_t kChunkBytes = 57 * 1024;

}  // namespace

AttachmentStream::AttachmentStream(const std::string& storedPath)
    : path_(storedPath), file_(storedPath) {
  const auto missing = [this] { return DocumentFailure(SmtpFailureKind::DocumentMissing); };
  const auto unreadable = [this] { return DocumentFailure(SmtpFailureKind::DocumentUnreadable); };
  const int error = file_.Error();
  if (error != 0) throw error == ENOENT || error == ENOTDIR ? missing() : unreadable();
}

SmtpFailure AttachmentStream::DocumentFailure(SmtpFailureKind kind) const {
  SmtpFailureDetails details;
  details.Kind = kind;
  details.Path = path_;
  return SmtpFailure(std::move(details));
}

curl_off_t AttachmentStream::EncodedSize() const {
  return static_cast<curl_off_t>(
      Base64Lines::EncodedSize(file_.Size()));
}

std::size_t AttachmentStream::Read(char* buffer, std::size_t size, std::size_t count, void* self) {
  return static_cast<AttachmentStream*>(self)->ReadInto(buffer, size * count);
}

int AttachmentStream::Seek(void* self, curl_off_t offset, int origin) {
  // libcurl only ever goes back to the start, to send the message again.
  if (offset != 0 || origin != SEEK_SET) return CURL_SEEKFUNC_CANTSEEK;
  auto* stream = static_cast<AttachmentStream*>(self);
  if (stream->failure_ || !stream->file_.Rewind()) {
    return CURL_SEEKFUNC_FAIL;
  }
  stream->consumed_ = 0;
  stream->encoder_.Reset();
  stream->pending_.clear();
  stream->pendingAt_ = 0;
  return CURL_SEEKFUNC_OK;
}

std::size_t AttachmentStream::ReadInto(char* buffer, std::size_t size) {
  std::size_t given = 0;
  while (given < size) {
    if (pendingAt_ == pending_.size()) {
      pending_.clear();
      pendingAt_ = 0;
      if (consumed_ == file_.Size()) break;
      if (!Refill()) return CURL_READFUNC_ABORT;
    }
    const std::size_t taken = std::min(size - given, pending_.size() - pendingAt_);
    std::copy_n(pending_.data() + pendingAt_, taken, buffer + given);
    pendingAt_ += taken;
    given += taken;
  }
  return given;
}

bool AttachmentStream::Refill() {
  const std::uint64_t left = file_.Size() - consumed_;
  const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(left, kChunkBytes));
  // One buffer for the whole send: a new one per read would be cleared
  // and paged in each time.
  if (!chunk_) chunk_ = std::make_unique<char[]>(kChunkBytes);
  char* chunk = chunk_.get();
  std::size_t got = 0;
  while (got < wanted) {
    const std::optional<std::size_t> count = file_.Read(chunk + got, wanted - got);
    if (!count) {
      failure_ = SmtpFailureKind::DocumentReadFailed;
      return false;
    }
    // Ends early: the file was cut meanwhile.
    if (*count == 0) return Changed();
    got += *count;
  }
  // Checked after reading, so that the bytes just read are the ones the
  // file held when the send began.
  if (!file_.Unchanged()) return Changed();
  consumed_ += got;
  encoder_.Add(chunk, got, pending_);
  if (consumed_ == file_.Size()) encoder_.Finish(pending_);
  return true;
}

bool AttachmentStream::Changed() {
  failure_ = SmtpFailureKind::DocumentChanged;
  return false;
}

}  // namespace vellumo
