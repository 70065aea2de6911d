#include "smtp/SmtpFailure.h"

#include <utility>

namespace vellumo {

SmtpFailure::SmtpFailure(SmtpFailureDetails details) : details_(std::move(details)) {
  summary_ = "SMTP failure " + std::to_string(static_cast<int>(details_.Kind));
  if (!details_.Host.empty()) summary_ += " with " + details_.Host;
  if (details_.LibraryCode != 0)
    summary_ += ", libcurl code " + std::to_string(details_.LibraryCode);
  if (details_.ReplyCode != 0) summary_ += ", reply " + std::to_string(details_.ReplyCode);
}

SmtpFailure SimpleSmtpFailure(SmtpFailureKind kind) {
  SmtpFailureDetails details;
  details.Kind = kind;
  return SmtpFailure(std::move(details));
}

}  // namespace vellumo
