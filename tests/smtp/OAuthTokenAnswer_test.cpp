// Token endpoint answers that the end-to-end runs do not give.
#include "smtp/OAuthTokenAnswer.h"

#include <gtest/gtest.h>

namespace vellumo {
namespace {

SmtpFailureKind KindOf(long status, const std::string& body) {
  try {
    ReadTokenAnswer(status, body, {});
  } catch (const SmtpFailure& failure) {
    return failure.Kind();
  }
  return SmtpFailureKind::TransferFailed;  // read without failure
}

TEST(OAuthTokenAnswer, RefusalsAndUnusableAnswers) {
  using Kind = SmtpFailureKind;
  EXPECT_EQ(KindOf(502, "<html>Bad gateway</html>"), Kind::TokenRefused);
  EXPECT_EQ(KindOf(200, R"({"error":"invalid_request"})"), Kind::TokenRefused);
  EXPECT_EQ(KindOf(200, "<html>portail captif</html>"), Kind::TokenAnswerUnreadable);
  EXPECT_EQ(KindOf(200, R"({"token_type":"Bearer"})"), Kind::TokenAnswerUnreadable);
  EXPECT_EQ(KindOf(200, R"({"access_token":42})"), Kind::TokenAnswerUnreadable);
  // It would break the login line.
  EXPECT_EQ(KindOf(200, R"({"access_token":"a\r\nQUIT"})"), Kind::TokenAnswerUnreadable);
}

TEST(OAuthTokenAnswer, LifetimeAsNumberOrDigitsAndTheNewRefreshToken) {
  const OAuthToken number =
      ReadTokenAnswer(200, R"({"access_token":"a","expires_in":3599,"refresh_token":"r2"})", {});
  EXPECT_EQ(number.AccessToken, "a");
  EXPECT_EQ(number.Lifetime, std::chrono::seconds(3599));
  EXPECT_EQ(number.RefreshToken, "r2");
  const OAuthToken digits = ReadTokenAnswer(200, R"({"access_token":"a","expires_in":"60"})", {});
  EXPECT_EQ(digits.Lifetime, std::chrono::seconds(60));
  EXPECT_EQ(digits.RefreshToken, "");
  EXPECT_FALSE(ReadTokenAnswer(200, R"({"access_token":"a"})", {}).Lifetime);
}

TEST(OAuthTokenAnswer, ARefusalKeepsTheEndpointsWords) {
  try {
    ReadTokenAnswer(400, R"({"error":"invalid_grant","error_description":"AADSTS70008: expired"})",
                    {});
    FAIL() << "no failure";
  } catch (const SmtpFailure& failure) {
    EXPECT_EQ(failure.Details().HttpStatus, 400);
    EXPECT_EQ(failure.Details().OAuthError, "invalid_grant");
    EXPECT_EQ(failure.Details().OAuthErrorDescription, "AADSTS70008: expired");
  }
}

}  // namespace
}  // namespace vellumo
