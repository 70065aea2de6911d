// French texts for a login by OAuth that failed before or at the SMTP
// server, one row per situation the end-to-end runs do not reach.
#include <gtest/gtest.h>

#include <string>

#include "app/SmtpFailureText.h"
#include "smtp/SmtpFailure.h"

namespace vellumo {
namespace {

using Kind = SmtpFailureKind;

struct Row {
  const char* name;
  SmtpFailureDetails failure;
  std::string expected;
};

SmtpFailureDetails Endpoint(Kind kind) {
  SmtpFailureDetails f;
  f.Kind = kind;
  f.TokenRequest = true;
  f.Host = "login.microsoftonline.com";
  f.Port = 443;
  return f;
}

SmtpFailureDetails Refusal(long status, std::string error, std::string description) {
  SmtpFailureDetails f = Endpoint(Kind::TokenRefused);
  f.HttpStatus = status;
  f.OAuthError = std::move(error);
  f.OAuthErrorDescription = std::move(description);
  return f;
}

SmtpFailureDetails Settings(Kind kind, std::string provider = "") {
  SmtpFailureDetails f;
  f.Kind = kind;
  f.OAuthProvider = std::move(provider);
  return f;
}

SmtpFailureDetails ThroughProxy() {
  SmtpFailureDetails f = Endpoint(Kind::ConnectFailed);
  f.ViaProxy = true;
  f.ConnectionRefused = true;
  return f;
}

SmtpFailureDetails NotConnectedIn(long seconds) {
  SmtpFailureDetails f = Endpoint(Kind::TimedOut);
  f.TimeoutSeconds = seconds;
  return f;
}

SmtpFailureDetails UnknownAuthority() {
  SmtpFailureDetails f = Endpoint(Kind::CertificateRejected);
  f.VerifyResult = 20;
  return f;
}

SmtpFailureDetails SmtpLogin(int code, std::string text) {
  SmtpFailureDetails f;
  f.Kind = Kind::LoginDenied;
  f.Host = "smtp.office365.com";
  f.Port = 587;
  f.OAuthLogin = true;
  f.Step = SmtpStep::Login;
  f.ReplyCode = code;
  f.ReplyText = std::move(text);
  return f;
}

SmtpFailureDetails NoXoauth2Offered() {
  SmtpFailureDetails f = SmtpLogin(0, "");
  f.Step = SmtpStep::Ehlo;
  return f;
}

class TokenFailureTextTable : public ::testing::TestWithParam<Row> {};

TEST_P(TokenFailureTextTable, SaysWhatFailedInFrench) {
  EXPECT_EQ(SmtpFailureText(SmtpFailure(GetParam().failure)), GetParam().expected);
}

constexpr const char* kStart = "Erreur : impossible d'obtenir le jeton d'accès OAuth : ";

INSTANTIATE_TEST_SUITE_P(
    Rows, TokenFailureTextTable,
    ::testing::Values(
        Row{"ExpiredRefreshTokenWithoutMicrosoftsTraceLines",
            Refusal(400, "invalid_grant",
                    "AADSTS700082: The refresh token has expired due to inactivity.\r\n"
                    "Trace ID: 1\r\nCorrelation ID: 2\r\nTimestamp: 2026-12-09 10:00:00Z"),
            std::string(kStart) +
                "le serveur d'authentification login.microsoftonline.com a refusé la demande "
                "(invalid_grant : AADSTS700082: The refresh token has expired due to "
                "inactivity.). Le jeton de renouvellement (OAuthJetonRenouvellement) n'est plus "
                "valable : le titulaire du compte doit en obtenir un nouveau."},
        Row{"ErrorStatusWithoutOAuthAnswer", Refusal(404, "", ""),
            std::string(kStart) +
                "le serveur d'authentification login.microsoftonline.com a refusé la demande "
                "(HTTP 404)."},
        Row{"AnswerWithoutToken", Endpoint(Kind::TokenAnswerUnreadable),
            std::string(kStart) +
                "le serveur d'authentification login.microsoftonline.com a répondu sans jeton "
                "d'accès utilisable."},
        Row{"ProxyUnreachable", ThroughProxy(),
            std::string(kStart) + "le proxy indiqué par OAuthProxy est injoignable."},
        Row{"EndpointNotConnected", NotConnectedIn(30),
            std::string(kStart) +
                "le serveur d'authentification login.microsoftonline.com ne répond pas : la "
                "connexion sur le port 443 n'a pas abouti en 30 s."},
        Row{"CertificateOfUnknownAuthority", UnknownAuthority(),
            std::string(kStart) +
                "le certificat du serveur d'authentification login.microsoftonline.com n'est pas "
                "reconnu (autorité de certification inconnue)."},
        Row{"NoProvider", Settings(Kind::OAuthProviderUnknown),
            std::string(kStart) +
                "aucun fournisseur n'est indiqué (OAuthFournisseur : microsoft ou google, ou bien "
                "OAuthUrlJeton)."},
        Row{"UnknownProvider", Settings(Kind::OAuthProviderUnknown, "yahoo"),
            std::string(kStart) +
                "le fournisseur « yahoo » est inconnu (OAuthFournisseur : microsoft ou google, ou "
                "bien OAuthUrlJeton)."},
        Row{"EndpointNotHttps", Settings(Kind::OAuthEndpointNotHttps),
            std::string(kStart) +
                "l'adresse du serveur d'authentification (OAuthUrlJeton) doit commencer par "
                "https://."},
        Row{"GoogleWithoutRefreshToken", Settings(Kind::OAuthNoClientCredentials, "google"),
            std::string(kStart) +
                "Google n'en délivre pas pour la messagerie sans l'accord du titulaire du compte "
                "(OAuthJetonRenouvellement manquant)."},
        Row{"TokenRefusedBy535", SmtpLogin(535, "5.7.3 Authentication unsuccessful"),
            "Erreur : le serveur SMTP a refusé le jeton d'accès OAuth (535 5.7.3 Authentication "
            "unsuccessful). Vérifiez que SmtpCompte est bien la boîte aux lettres du compte qui a "
            "donné son accord et que l'application a le droit d'envoyer du courrier par SMTP."},
        Row{"TokenRefusedTemporarily", SmtpLogin(454, "4.7.0 Try again later"),
            "Erreur : le serveur SMTP a refusé temporairement l'identification (454 4.7.0 Try "
            "again later). Réessayez plus tard."},
        Row{"Xoauth2NotOffered", NoXoauth2Offered(),
            "Erreur : le serveur SMTP smtp.office365.com ne propose pas l'identification OAuth "
            "2.0 (XOAUTH2)."}),
    [](const ::testing::TestParamInfo<Row>& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace vellumo
