// French texts for libcurl failures, one row per situation.
#include "smtp/curl/CurlErrorText.h"

#include <gtest/gtest.h>

#include <string>

namespace vellumo {
namespace {

struct Row {
  const char* name;
  CurlFailure failure;
  std::string expected;
};

CurlFailure Failure(CURLcode code, SmtpStep step = SmtpStep::Connecting, int replyCode = 0,
                    std::string replyText = "") {
  CurlFailure f;
  f.Code = code;
  f.Host = "smtp.exemple.fr";
  f.Port = 587;
  f.TcpConnected = step != SmtpStep::Connecting;
  f.Step = step;
  f.ReplyCode = replyCode;
  f.ReplyText = std::move(replyText);
  f.Sender = "moi@exemple.fr";
  f.Recipient = "x@exemple.fr";
  return f;
}

CurlFailure With(CurlFailure f, long verifyResult, std::string errorBuffer = "") {
  f.VerifyResult = verifyResult;
  f.ErrorBuffer = std::move(errorBuffer);
  return f;
}

CurlFailure Refused() {
  CurlFailure f = Failure(CURLE_COULDNT_CONNECT);
  f.ConnectionRefused = true;
  return f;
}

CurlFailure SilentAfterConnect() {
  CurlFailure f = Failure(CURLE_OPERATION_TIMEDOUT);
  f.TcpConnected = true;
  f.IdleTimeoutSeconds = 60;
  return f;
}

CurlFailure AwaitingTls(CURLcode code, int replyCode, std::string replyText) {
  CurlFailure f = Failure(code, SmtpStep::Ehlo, replyCode, std::move(replyText));
  f.LoginAwaitsTls = true;
  return f;
}

class CurlErrorTextTable : public ::testing::TestWithParam<Row> {};

TEST_P(CurlErrorTextTable, SaysWhatFailedInFrench) {
  EXPECT_EQ(DescribeCurlFailure(GetParam().failure), GetParam().expected);
}

const std::string kCert = "Erreur : le certificat du serveur smtp.exemple.fr ";

INSTANTIATE_TEST_SUITE_P(
    Failures, CurlErrorTextTable,
    ::testing::Values(
        Row{"UnknownHost", Failure(CURLE_COULDNT_RESOLVE_HOST),
            "Erreur : le serveur SMTP smtp.exemple.fr est introuvable (nom d'hôte inconnu)."},
        Row{"Refused", Refused(),
            "Erreur : le serveur SMTP smtp.exemple.fr a refusé la connexion sur le port 587 "
            "(aucun service n'y répond)."},
        Row{"Unreachable", Failure(CURLE_COULDNT_CONNECT),
            "Erreur : impossible de joindre le serveur SMTP smtp.exemple.fr sur le port 587."},
        Row{"ConnectTimeout", Failure(CURLE_OPERATION_TIMEDOUT),
            "Erreur : le serveur SMTP smtp.exemple.fr ne répond pas : la connexion sur le port "
            "587 n'a pas abouti en 30 s."},
        Row{"NoGreeting", SilentAfterConnect(),
            "Erreur : le serveur SMTP smtp.exemple.fr ne répond plus (aucune réponse en 60 s, en "
            "attente de son message d'accueil)."},
        Row{"NoAnswerToData", Failure(CURLE_OPERATION_TIMEDOUT, SmtpStep::MessageEnd),
            "Erreur : le serveur SMTP smtp.exemple.fr ne répond plus (aucune réponse en 60 s, "
            "pendant la transmission du message)."},
        Row{"TlsHandshake",
            With(Failure(CURLE_SSL_CONNECT_ERROR), 0, "error:0A00010B:SSL routines::wrong version number"),
            "Erreur : la négociation du chiffrement TLS avec le serveur SMTP smtp.exemple.fr a "
            "échoué (détail : error:0A00010B:SSL routines::wrong version number)."},
        Row{"SelfSigned", With(Failure(CURLE_PEER_FAILED_VERIFICATION), 18),
            kCert + "n'est pas reconnu (certificat auto-signé)."},
        Row{"SelfSignedInChain", With(Failure(CURLE_PEER_FAILED_VERIFICATION), 19),
            kCert + "n'est pas reconnu (certificat auto-signé)."},
        Row{"UnknownIssuer", With(Failure(CURLE_PEER_FAILED_VERIFICATION), 20),
            kCert + "n'est pas reconnu (autorité de certification inconnue)."},
        Row{"LeafUnverifiable", With(Failure(CURLE_PEER_FAILED_VERIFICATION), 21),
            kCert + "n'est pas reconnu (autorité de certification inconnue)."},
        Row{"Expired", With(Failure(CURLE_PEER_FAILED_VERIFICATION), 10), kCert + "a expiré."},
        Row{"NotYetValid", With(Failure(CURLE_PEER_FAILED_VERIFICATION), 9),
            kCert + "n'est pas encore valide."},
        Row{"HostMismatchCode", With(Failure(CURLE_PEER_FAILED_VERIFICATION), 62),
            kCert + "a été émis pour un autre nom de serveur."},
        Row{"HostMismatchByLibcurl",
            With(Failure(CURLE_PEER_FAILED_VERIFICATION), 1,
                 "SSL: no alternative certificate subject name matches target host name "
                 "'smtp.exemple.fr'"),
            kCert + "a été émis pour un autre nom de serveur."},
        Row{"OtherVerifyCode", With(Failure(CURLE_PEER_FAILED_VERIFICATION), 24),
            kCert + "n'a pas pu être vérifié (code de vérification 24)."},
        Row{"StartTlsNotOffered", Failure(CURLE_USE_SSL_FAILED, SmtpStep::Ehlo, 250, "HELP"),
            "Erreur : le serveur SMTP smtp.exemple.fr ne propose pas le chiffrement STARTTLS, "
            "exigé par la configuration."},
        // STARTTLS when offered, with a login: no HELO fallback in clear.
        Row{"LoginAwaitsTlsEhloRefused", AwaitingTls(CURLE_REMOTE_ACCESS_DENIED, 502, "5.5.2 Non"),
            "Erreur : la connexion au serveur SMTP smtp.exemple.fr n'a pas pu être chiffrée : le "
            "serveur a refusé la présentation (EHLO) (502 5.5.2 Non). Le mot de passe n'a donc "
            "pas été envoyé."},
        Row{"StartTlsRefused",
            Failure(CURLE_USE_SSL_FAILED, SmtpStep::StartTls, 454, "TLS not available"),
            "Erreur : le serveur SMTP a refusé le passage au chiffrement (STARTTLS) (454 TLS not "
            "available)."},
        Row{"LoginRefused",
            Failure(CURLE_LOGIN_DENIED, SmtpStep::Login, 535,
                    "5.7.8 Authentication credentials invalid"),
            "Erreur : le serveur SMTP a refusé l'identification : nom d'utilisateur ou mot de "
            "passe incorrect (535 5.7.8 Authentication credentials invalid)."},
        Row{"LoginLater",
            Failure(CURLE_LOGIN_DENIED, SmtpStep::Login, 454, "4.7.0 Temporary failure"),
            "Erreur : le serveur SMTP a refusé temporairement l'identification (454 4.7.0 "
            "Temporary failure). Réessayez plus tard."},
        Row{"LoginOtherRefusal",
            Failure(CURLE_LOGIN_DENIED, SmtpStep::Login, 534, "5.7.9 Mechanism too weak"),
            "Erreur : le serveur SMTP a refusé l'identification (534 5.7.9 Mechanism too "
            "weak)."},
        Row{"NoUsableMechanism", Failure(CURLE_LOGIN_DENIED, SmtpStep::Ehlo, 250, "HELP"),
            "Erreur : le serveur SMTP smtp.exemple.fr ne propose aucune méthode "
            "d'identification utilisable."},
        Row{"GreetingRefusal", Failure(CURLE_WEIRD_SERVER_REPLY, SmtpStep::Greeting, 554, "No"),
            "Erreur : le serveur SMTP smtp.exemple.fr refuse la connexion (554 No)."},
        Row{"ShuttingDown", Failure(CURLE_RECV_ERROR, SmtpStep::MailFrom, 421, "4.3.2 Bye"),
            "Erreur : le serveur SMTP smtp.exemple.fr a interrompu la session (421 4.3.2 Bye)."},
        Row{"SenderRefused", Failure(CURLE_SEND_ERROR, SmtpStep::MailFrom, 553, "5.7.1 Not yours"),
            "Erreur : le serveur SMTP a refusé l'expéditeur <moi@exemple.fr> (553 5.7.1 Not "
            "yours)."},
        Row{"RecipientRefused",
            Failure(CURLE_SEND_ERROR, SmtpStep::Recipient, 550, "5.1.1 User unknown"),
            "Erreur : le serveur SMTP a refusé le destinataire <x@exemple.fr> (550 5.1.1 User "
            "unknown)."},
        Row{"LoginNeeded",
            Failure(CURLE_SEND_ERROR, SmtpStep::MailFrom, 530, "5.7.0 Authentication required"),
            "Erreur : le serveur SMTP exige une identification avant l'envoi (530 5.7.0 "
            "Authentication required)."},
        Row{"DataRefused", Failure(CURLE_SEND_ERROR, SmtpStep::Data, 554, "No valid recipients"),
            "Erreur : le serveur SMTP a refusé de recevoir le message (DATA) (554 No valid "
            "recipients)."},
        Row{"TooBigAnnounced",
            Failure(CURLE_SEND_ERROR, SmtpStep::MailFrom, 552, "5.3.4 Message size exceeds"),
            "Erreur : le message est trop volumineux pour le serveur SMTP (552 5.3.4 Message "
            "size exceeds)."},
        Row{"TooBigAfterData",
            Failure(CURLE_WEIRD_SERVER_REPLY, SmtpStep::MessageEnd, 552, "Too much mail data"),
            "Erreur : le message est trop volumineux pour le serveur SMTP (552 Too much mail "
            "data)."},
        Row{"MessageRefused",
            Failure(CURLE_WEIRD_SERVER_REPLY, SmtpStep::MessageEnd, 554, "5.7.1 Spam"),
            "Erreur : le serveur SMTP a refusé le message (554 5.7.1 Spam)."},
        Row{"ClosedDuringLogin", Failure(CURLE_RECV_ERROR, SmtpStep::Login),
            "Erreur : le serveur SMTP smtp.exemple.fr a fermé la connexion pendant "
            "l'identification."},
        Row{"ClosedAfterGreeting", Failure(CURLE_GOT_NOTHING, SmtpStep::Greeting, 220, "ok"),
            "Erreur : le serveur SMTP smtp.exemple.fr a fermé la connexion juste après son "
            "message d'accueil."},
        Row{"OddSuccessReply", Failure(CURLE_WEIRD_SERVER_REPLY, SmtpStep::MessageEnd, 251, "hm"),
            "Erreur : le serveur SMTP smtp.exemple.fr a donné une réponse inattendue pendant la "
            "transmission du message (251 hm)."},
        Row{"AttachmentReadFailed", Failure(CURLE_READ_ERROR, SmtpStep::MessageEnd),
            "Erreur : la lecture de la pièce jointe a échoué pendant l'envoi du message."},
        Row{"Unclassified", Failure(CURLE_FUNCTION_NOT_FOUND),
            "Erreur : l'échange avec le serveur SMTP smtp.exemple.fr a échoué (A required "
            "function in the library was not found)."}),
    [](const ::testing::TestParamInfo<Row>& row) { return std::string(row.param.name); });

TEST(CurlErrorText, ServerTextIsCleanedAndCut) {
  CurlFailure f = Failure(CURLE_SEND_ERROR, SmtpStep::Recipient, 550,
                          "bad\r\n\x01\x1b[31m  user \xff\xfe" + std::string(1000, 'z'));
  const std::string text = DescribeCurlFailure(f);
  EXPECT_EQ(text.find('\x1b'), std::string::npos);
  EXPECT_EQ(text.find('\r'), std::string::npos);
  EXPECT_EQ(text.find('\xff'), std::string::npos);
  EXPECT_NE(text.find("(550 bad [31m user zzz"), std::string::npos) << text;
  EXPECT_LT(text.size(), 420u);
  EXPECT_EQ(text.substr(text.size() - 5), "…).");
}

struct PrintableRow {
  std::string raw;
  std::size_t max;
  std::string expected;
};

TEST(CurlErrorText, PrintableTextTable) {
  const PrintableRow rows[] = {
      {"plain", 300, "plain"},
      {"  spaced\t\tout \r\n", 300, "spaced out"},
      {"é\xC3", 300, "é"},                 // truncated sequence dropped
      {"a\xC0\xAFz", 300, "az"},           // overlong encoding dropped
      {"a\xED\xA0\x80z", 300, "az"},       // surrogate dropped
      {"a\xC2\x85z", 300, "az"},           // C1 control dropped
      {"a\x7F" "b", 300, "a b"},           // DEL is a separator
      {"ééé", 5, "éé…"},                   // cut on a character boundary
      {"abcdef", 6, "abcdef"},
      {"abcdefg", 6, "abcdef…"},
      {"€ ok", 300, "€ ok"},
      // Format characters dropped: bidi overrides, zero-width, tags.
      {"facture\u202Efdp.exe\u202C", 300, "facturefdp.exe"},
      {"a\u200Bb\uFEFFc\U000E0041d\u00ADe", 300, "abcde"},
  };
  for (const PrintableRow& row : rows) {
    EXPECT_EQ(PrintableText(row.raw, row.max), row.expected) << row.raw;
  }
}

TEST(CurlErrorText, HostIsShownCleaned) {
  CurlFailure f = Failure(CURLE_COULDNT_RESOLVE_HOST);
  f.Host = "smtp.\nexemple.fr\x07";
  EXPECT_EQ(DescribeCurlFailure(f),
            "Erreur : le serveur SMTP smtp. exemple.fr est introuvable (nom d'hôte inconnu).");
}

}  // namespace
}  // namespace vellumo
