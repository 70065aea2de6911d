#include "smtp/curl/AttachmentStream.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>
#include <vector>

#include "smtp/SmtpFailure.h"

namespace vellumo {
namespace {

// Whole base64 lines (57 bytes each) per read of the file.
constexpr std::size_t kChunkBytes = 57 * 1024;

bool SameTime(const timespec& a, const timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

}  // namespace

AttachmentStream::AttachmentStream(const std::string& storedPath) : path_(storedPath) {
  const auto missing = [this] { return DocumentFailure(SmtpFailureKind::DocumentMissing); };
  const auto unreadable = [this] { return DocumentFailure(SmtpFailureKind::DocumentUnreadable); };
  // Looked at before it is opened: opening a pipe for reading waits for a
  // writer, and opening a device can act on it.
  struct stat info {};
  if (::stat(storedPath.c_str(), &info) != 0) {
    throw errno == ENOENT || errno == ENOTDIR ? missing() : unreadable();
  }
  if (!S_ISREG(info.st_mode)) throw unreadable();
  fd_ = ::open(storedPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd_ < 0) throw errno == ENOENT ? missing() : unreadable();
  // The path may have been replaced between the two looks.
  if (::fstat(fd_, &atStart_) != 0 || !S_ISREG(atStart_.st_mode)) {
    ::close(fd_);
    throw unreadable();
  }
}

AttachmentStream::~AttachmentStream() {
  if (fd_ >= 0) ::close(fd_);
}

SmtpFailure AttachmentStream::DocumentFailure(SmtpFailureKind kind) const {
  SmtpFailureDetails details;
  details.Kind = kind;
  details.Path = path_;
  return SmtpFailure(std::move(details));
}

curl_off_t AttachmentStream::EncodedSize() const {
  return static_cast<curl_off_t>(
      Base64Lines::EncodedSize(static_cast<std::uint64_t>(atStart_.st_size)));
}

std::size_t AttachmentStream::Read(char* buffer, std::size_t size, std::size_t count, void* self) {
  return static_cast<AttachmentStream*>(self)->ReadInto(buffer, size * count);
}

int AttachmentStream::Seek(void* self, curl_off_t offset, int origin) {
  // libcurl only ever goes back to the start, to send the message again.
  if (offset != 0 || origin != SEEK_SET) return CURL_SEEKFUNC_CANTSEEK;
  auto* stream = static_cast<AttachmentStream*>(self);
  if (stream->failure_ || ::lseek(stream->fd_, 0, SEEK_SET) != 0) {
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
      if (consumed_ == static_cast<std::uint64_t>(atStart_.st_size)) break;
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
  const std::uint64_t left = static_cast<std::uint64_t>(atStart_.st_size) - consumed_;
  std::vector<char> chunk(static_cast<std::size_t>(std::min<std::uint64_t>(left, kChunkBytes)));
  std::size_t got = 0;
  while (got < chunk.size()) {
    const ssize_t count = ::read(fd_, chunk.data() + got, chunk.size() - got);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) {
      failure_ = SmtpFailureKind::DocumentReadFailed;
      return false;
    }
    // Ends early: the file was cut meanwhile.
    if (count == 0) return Changed();
    got += static_cast<std::size_t>(count);
  }
  // Checked after reading, so that the bytes just read are the ones the
  // file held when the send began.
  if (!Unchanged()) return Changed();
  consumed_ += got;
  encoder_.Add(chunk.data(), got, pending_);
  if (consumed_ == static_cast<std::uint64_t>(atStart_.st_size)) encoder_.Finish(pending_);
  return true;
}

bool AttachmentStream::Unchanged() {
  struct stat now {};
  if (::fstat(fd_, &now) != 0) return false;
  return now.st_size == atStart_.st_size && SameTime(now.st_mtim, atStart_.st_mtim);
}

bool AttachmentStream::Changed() {
  failure_ = SmtpFailureKind::DocumentChanged;
  return false;
}

}  // namespace vellumo
