#pragma once
// The token endpoint's answer (RFC 6749, section 5), read.
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "smtp/SmtpFailure.h"

namespace vellumo {

struct OAuthToken {
  std::string AccessToken;
  // A new refresh token, when the endpoint replaced the one it was given.
  std::string RefreshToken;
  // How long the access token lasts; nothing when the answer does not say.
  std::optional<std::chrono::seconds> Lifetime;
};

// Reads an answer of HTTP status `httpStatus`. Throws SmtpFailure made
// from `context`: TokenRefused for an error status or an "error" field,
// TokenAnswerUnreadable for a success without a usable access token.
OAuthToken ReadTokenAnswer(long httpStatus, std::string_view body,
                           const SmtpFailureDetails& context);

}  // namespace vellumo
