#include "smtp/curl/SmtpSessionTrace.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace vellumo {
namespace {

// Enough for any sane reply; a hostile server cannot make us grow.
constexpr std::size_t kMaxReplyText = 2000;
constexpr std::size_t kMaxEhloKeywords = 100;

std::string UpperWord(std::string_view text) {
  std::string word;
  for (char c : text) {
    if (c == ' ' || c == '\r' || c == '\n' || c == ':') break;
    word.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
  }
  return word;
}

// The address between the first '<' and the following '>'.
std::string AngleAddress(std::string_view line) {
  const auto open = line.find('<');
  if (open == std::string_view::npos) return {};
  const auto close = line.find('>', open + 1);
  if (close == std::string_view::npos) return {};
  return std::string(line.substr(open + 1, close - open - 1));
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

void SmtpSessionTrace::Reset() {
  std::vector<std::string> keywords = std::move(ehloKeywords_);
  *this = SmtpSessionTrace();
  ehloKeywords_ = std::move(keywords);
}

bool SmtpSessionTrace::Offers(std::string_view keyword) const {
  return std::find(ehloKeywords_.begin(), ehloKeywords_.end(), keyword) != ehloKeywords_.end();
}

void SmtpSessionTrace::OnCommandSent(std::string_view bytes) {
  const std::string verb = UpperWord(bytes);
  if (verb == "QUIT") {
    // libcurl closes a failed session with QUIT; the failure came before.
    quitting_ = true;
    return;
  }
  replyCode_ = 0;
  replyText_.clear();
  awaitingReply_ = true;
  if (verb == "EHLO" || verb == "HELO") {
    step_ = SmtpStep::Ehlo;
    ehloKeywords_.clear();
    readingEhloKeywords_ = false;
    sentHelo_ = verb == "HELO";
  } else if (verb == "STARTTLS") {
    step_ = SmtpStep::StartTls;
    sentStartTls_ = true;
  } else if (verb == "AUTH") {
    step_ = SmtpStep::Login;
    sentLogin_ = true;
  } else if (verb == "NOOP") {
    step_ = SmtpStep::Noop;
  } else if (verb == "MAIL") {
    step_ = SmtpStep::MailFrom;
    sender_ = AngleAddress(bytes);
  } else if (verb == "RCPT") {
    step_ = SmtpStep::Recipient;
    recipient_ = AngleAddress(bytes);
  } else if (verb == "DATA") {
    step_ = SmtpStep::Data;
  } else if (step_ == SmtpStep::Login) {
    // A login exchange line (encoded credentials): not a new step.
  } else {
    step_ = SmtpStep::Other;
  }
  inReply_ = false;
  partialLine_.clear();
}

void SmtpSessionTrace::OnReplyReceived(std::string_view bytes) {
  if (quitting_) return;
  // An overlong line keeps its head (the reply code and the start of the
  // text) and its end of line; only the middle is dropped.
  for (;;) {
    const auto end = bytes.find('\n');
    const std::string_view piece = bytes.substr(0, end);
    if (partialLine_.size() < kMaxReplyText) {
      partialLine_.append(piece.substr(0, kMaxReplyText - partialLine_.size()));
    }
    if (end == std::string_view::npos) break;
    std::string_view line(partialLine_);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    OnReplyLine(line);
    partialLine_.clear();
    bytes.remove_prefix(end + 1);
  }
}

void SmtpSessionTrace::OnReplyLine(std::string_view line) {
  if (line.size() < 3 || !IsDigit(line[0]) || !IsDigit(line[1]) || !IsDigit(line[2])) return;
  const bool last = line.size() == 3 || line[3] != '-';
  std::string_view text = line.size() > 4 ? line.substr(4) : std::string_view();
  if (!inReply_) pendingText_.clear();
  if (step_ == SmtpStep::Ehlo && line.substr(0, 3) == "250") {
    // The first line names the server; each further one starts with a
    // keyword.
    if (readingEhloKeywords_ && ehloKeywords_.size() < kMaxEhloKeywords) {
      ehloKeywords_.push_back(UpperWord(text));
    }
    readingEhloKeywords_ = !last;
  }
  inReply_ = !last;
  if (pendingText_.size() < kMaxReplyText) {
    if (!pendingText_.empty() && !text.empty()) pendingText_.push_back(' ');
    pendingText_.append(text.substr(0, kMaxReplyText - pendingText_.size()));
  }
  if (!last) return;

  replyCode_ = (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
  replyText_ = pendingText_;
  pendingText_.clear();
  awaitingReply_ = replyCode_ == 354;
  if (step_ == SmtpStep::Ehlo && !sentHelo_ && replyCode_ >= 400) {
    refusedEhloCode_ = replyCode_;
    refusedEhloText_ = replyText_;
  }
  if (step_ == SmtpStep::Connecting) {
    step_ = SmtpStep::Greeting;
  } else if (step_ == SmtpStep::Data && replyCode_ == 354) {
    step_ = SmtpStep::MessageEnd;
  }
}

}  // namespace vellumo
