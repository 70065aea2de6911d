#include "smtp/OAuthTokenAnswer.h"

#include <nlohmann/json.hpp>
#include <utility>

namespace vellumo {
namespace {

using nlohmann::json;

std::string StringField(const json& answer, const char* name) {
  const auto field = answer.find(name);
  if (field == answer.end() || !field->is_string()) return {};
  return field->get<std::string>();
}

// Some endpoints give the lifetime as a string of digits.
std::optional<std::chrono::seconds> Lifetime(const json& answer) {
  const auto field = answer.find("expires_in");
  if (field == answer.end()) return std::nullopt;
  if (field->is_number_integer() && field->get<long long>() > 0) {
    return std::chrono::seconds(field->get<long long>());
  }
  if (field->is_string()) {
    const std::string digits = field->get<std::string>();
    if (digits.empty() || digits.size() > 9) return std::nullopt;
    long long seconds = 0;
    for (const char c : digits) {
      if (c < '0' || c > '9') return std::nullopt;
      seconds = seconds * 10 + (c - '0');
    }
    if (seconds > 0) return std::chrono::seconds(seconds);
  }
  return std::nullopt;
}

[[noreturn]] void Fail(SmtpFailureKind kind, long httpStatus, const json& answer,
                       const SmtpFailureDetails& context) {
  SmtpFailureDetails details = context;
  details.Kind = kind;
  details.HttpStatus = httpStatus;
  if (answer.is_object()) {
    details.OAuthError = StringField(answer, "error");
    details.OAuthErrorDescription = StringField(answer, "error_description");
  }
  throw SmtpFailure(std::move(details));
}

}  // namespace

OAuthToken ReadTokenAnswer(long httpStatus, std::string_view body,
                           const SmtpFailureDetails& context) {
  // Parsed without exceptions: anything that is not JSON is discarded.
  const json answer = json::parse(body.begin(), body.end(), nullptr, false);
  const bool success = httpStatus >= 200 && httpStatus < 300;
  if (!success || (answer.is_object() && answer.contains("error"))) {
    Fail(SmtpFailureKind::TokenRefused, httpStatus, answer, context);
  }
  if (!answer.is_object())
    Fail(SmtpFailureKind::TokenAnswerUnreadable, httpStatus, answer, context);
  OAuthToken token;
  token.AccessToken = StringField(answer, "access_token");
  token.RefreshToken = StringField(answer, "refresh_token");
  token.Lifetime = Lifetime(answer);
  // The token goes into the login as it is: it must be one printable line.
  const auto oneWord = [](const std::string& text) {
    for (const char c : text) {
      if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F) return false;
    }
    return !text.empty();
  };
  // A refresh token that could not be sent back is not kept.
  if (!oneWord(token.RefreshToken)) token.RefreshToken.clear();
  if (!oneWord(token.AccessToken))
    Fail(SmtpFailureKind::TokenAnswerUnreadable, httpStatus, answer, context);
  return token;
}

}  // namespace vellumo
