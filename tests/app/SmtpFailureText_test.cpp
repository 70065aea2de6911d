// French texts for the mail client's failures, one row per situation.
#include "app/SmtpFailureText.h"

#include <gtest/gtest.h>

#include <string>

#include "smtp/SmtpFailure.h"

namespace vellumo {
namespace {

using Kind = SmtpFailureKind;

struct Row {
  const char* name;
  SmtpFailureDetails failure;
  std::string expected;
};

SmtpFailureDetails Failure(Kind kind, SmtpStep step = SmtpStep::Connecting, int replyCode = 0,
                           std::string replyText = "") {
  SmtpFailureDetails f;
  f.Kind = kind;
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

SmtpFailureDetails With(SmtpFailureDetails f, long verifyResult, std::string detail = "") {
  f.VerifyResult = verifyResult;
  f.Detail = std::move(detail);
  return f;
}

SmtpFailureDetails TimedOut(SmtpStep step, long seconds) {
  SmtpFailureDetails f = Failure(Kind::TimedOut, step);
  f.TimeoutSeconds = seconds;
  return f;
}

SmtpFailureDetails Refused() {
  SmtpFailureDetails f = Failure(Kind::ConnectFailed);
  f.ConnectionRefused = true;
  return f;
}

SmtpFailureDetails SilentAfterConnect() {
  SmtpFailureDetails f = TimedOut(SmtpStep::Connecting, 60);
  f.TcpConnected = true;
  return f;
}

SmtpFailureDetails AwaitingTls(Kind kind, int replyCode, std::string replyText) {
  SmtpFailureDetails f = Failure(kind, SmtpStep::Ehlo, replyCode, std::move(replyText));
  f.LoginAwaitsTls = true;
  return f;
}

std::string TextOf(SmtpFailureDetails details) {
  return SmtpFailureText(SmtpFailure(std::move(details)));
}

SmtpFailureDetails Unclassified() {
  SmtpFailureDetails f = Failure(Kind::TransferFailed);
  f.LibraryText = "A required function in the library was not found";
  return f;
}

SmtpFailureDetails Document(Kind kind) {
  SmtpFailureDetails f;
  f.Kind = kind;
  f.Path = "/tmp/commande\n42.pdf";
  return f;
}

class SmtpFailureTextTable : public ::testing::TestWithParam<Row> {};

TEST_P(SmtpFailureTextTable, SaysWhatFailedInFrench) {
  EXPECT_EQ(TextOf(GetParam().failure), GetParam().expected);
}

const std::string kCert = "Erreur : le certificat du serveur smtp.exemple.fr ";

INSTANTIATE_TEST_SUITE_P(
    Failures, SmtpFailureTextTable,
    ::testing::Values(
        Row{"UnknownHost", Failure(Kind::HostNotFound),
            "Erreur : le serveur SMTP smtp.exemple.fr est introuvable (nom d'hôte inconnu)."},
        Row{"Refused", Refused(),
            "Erreur : le serveur SMTP smtp.exemple.fr a refusé la connexion sur le port 587 "
            "(aucun service n'y répond)."},
        Row{"Unreachable", Failure(Kind::ConnectFailed),
            "Erreur : impossible de joindre le serveur SMTP smtp.exemple.fr sur le port 587."},
        Row{"ConnectTimeout", TimedOut(SmtpStep::Connecting, 30),
            "Erreur : le serveur SMTP smtp.exemple.fr ne répond pas : la connexion sur le port "
            "587 n'a pas abouti en 30 s."},
        Row{"NoGreeting", SilentAfterConnect(),
            "Erreur : le serveur SMTP smtp.exemple.fr ne répond plus (aucune réponse en 60 s, en "
            "attente de son message d'accueil)."},
        Row{"NoAnswerToData", TimedOut(SmtpStep::MessageEnd, 60),
            "Erreur : le serveur SMTP smtp.exemple.fr ne répond plus (aucune réponse en 60 s, "
            "pendant la transmission du message)."},
        Row{"TlsHandshake",
            With(Failure(Kind::TlsFailed), 0, "error:0A00010B:SSL routines::wrong version number"),
            "Erreur : la négociation du chiffrement TLS avec le serveur SMTP smtp.exemple.fr a "
            "échoué (détail : error:0A00010B:SSL routines::wrong version number)."},
        Row{"SelfSigned", With(Failure(Kind::CertificateRejected), 18),
            kCert + "n'est pas reconnu (certificat auto-signé)."},
        Row{"SelfSignedInChain", With(Failure(Kind::CertificateRejected), 19),
            kCert + "n'est pas reconnu (certificat auto-signé)."},
        Row{"UnknownIssuer", With(Failure(Kind::CertificateRejected), 20),
            kCert + "n'est pas reconnu (autorité de certification inconnue)."},
        Row{"LeafUnverifiable", With(Failure(Kind::CertificateRejected), 21),
            kCert + "n'est pas reconnu (autorité de certification inconnue)."},
        Row{"Expired", With(Failure(Kind::CertificateRejected), 10), kCert + "a expiré."},
        Row{"NotYetValid", With(Failure(Kind::CertificateRejected), 9),
            kCert + "n'est pas encore valide."},
        Row{"HostMismatchCode", With(Failure(Kind::CertificateRejected), 62),
            kCert + "a été émis pour un autre nom de serveur."},
        Row{"HostMismatchByLibcurl",
            With(Failure(Kind::CertificateRejected), 1,
                 "SSL: no alternative certificate subject name matches target host name "
                 "'smtp.exemple.fr'"),
            kCert + "a été émis pour un autre nom de serveur."},
        Row{"OtherVerifyCode", With(Failure(Kind::CertificateRejected), 24),
            kCert + "n'a pas pu être vérifié (code de vérification 24)."},
        // Schannel: libcurl's own chain check, then Schannel's.
        Row{"SchannelUntrustedRoot",
            With(Failure(Kind::CertificateRejected), 0,
                 "schannel: CertGetCertificateChain trust error CERT_TRUST_IS_UNTRUSTED_ROOT"),
            kCert + "n'est pas reconnu (autorité de certification inconnue)."},
        Row{"SchannelNoRoot",
            With(Failure(Kind::CertificateRejected), 0,
                 "schannel: CertGetCertificateChain trust error CERT_TRUST_IS_PARTIAL_CHAIN"),
            kCert + "n'est pas reconnu (autorité de certification inconnue)."},
        Row{"SchannelNotTimeValid",
            With(Failure(Kind::CertificateRejected), 0,
                 "schannel: CertGetCertificateChain trust error CERT_TRUST_IS_NOT_TIME_VALID"),
            kCert + "a expiré ou n'est pas encore valide."},
        Row{"SchannelRevoked",
            With(Failure(Kind::CertificateRejected), 0,
                 "schannel: CertGetCertificateChain trust error CERT_TRUST_IS_REVOKED"),
            kCert + "a été révoqué."},
        Row{"SchannelHostMismatch",
            With(Failure(Kind::CertificateRejected), 0,
                 "schannel: CertGetNameString() failed to match connection hostname "
                 "(smtp.exemple.fr) against server certificate names"),
            kCert + "a été émis pour un autre nom de serveur."},
        Row{"SchannelStatusUntrustedRoot",
            With(Failure(Kind::CertificateRejected), 0,
                 "schannel: SEC_E_UNTRUSTED_ROOT (0x80090325) - The certificate chain was "
                 "issued by an authority that is not trusted."),
            kCert + "n'est pas reconnu (autorité de certification inconnue)."},
        Row{"SchannelStatusWrongName",
            With(Failure(Kind::CertificateRejected), 0,
                 "schannel: SNI or certificate check failed: SEC_E_WRONG_PRINCIPAL (0x80090322) "
                 "- The target principal name is incorrect."),
            kCert + "a été émis pour un autre nom de serveur."},
        // Schannel ends the handshake itself on these: libcurl says TLS failed.
        Row{"SchannelStatusExpired",
            With(Failure(Kind::TlsFailed), 0,
                 "schannel: next InitializeSecurityContext failed: SEC_E_CERT_EXPIRED "
                 "(0x80090328) - The received certificate has expired."),
            kCert + "a expiré."},
        Row{"SchannelStatusRevoked",
            With(Failure(Kind::TlsFailed), 0,
                 "schannel: next InitializeSecurityContext failed: CRYPT_E_REVOKED (0x80092010) "
                 "- The certificate is revoked."),
            kCert + "a été révoqué."},
        Row{"StartTlsNotOffered", Failure(Kind::StartTlsRequired, SmtpStep::Ehlo, 250, "HELP"),
            "Erreur : le serveur SMTP smtp.exemple.fr ne propose pas le chiffrement STARTTLS, "
            "exigé par la configuration."},
        // STARTTLS when offered, with a login: no HELO fallback in clear.
        Row{"LoginAwaitsTlsEhloRefused", AwaitingTls(Kind::AccessDenied, 502, "5.5.2 Non"),
            "Erreur : la connexion au serveur SMTP smtp.exemple.fr n'a pas pu être chiffrée : le "
            "serveur a refusé la présentation (EHLO) (502 5.5.2 Non). Le mot de passe n'a donc "
            "pas été envoyé."},
        Row{"StartTlsRefused",
            Failure(Kind::StartTlsRequired, SmtpStep::StartTls, 454, "TLS not available"),
            "Erreur : le serveur SMTP a refusé le passage au chiffrement (STARTTLS) (454 TLS not "
            "available)."},
        Row{"LoginRefused",
            Failure(Kind::LoginDenied, SmtpStep::Login, 535,
                    "5.7.8 Authentication credentials invalid"),
            "Erreur : le serveur SMTP a refusé l'identification : nom d'utilisateur ou mot de "
            "passe incorrect (535 5.7.8 Authentication credentials invalid)."},
        Row{"LoginLater",
            Failure(Kind::LoginDenied, SmtpStep::Login, 454, "4.7.0 Temporary failure"),
            "Erreur : le serveur SMTP a refusé temporairement l'identification (454 4.7.0 "
            "Temporary failure). Réessayez plus tard."},
        Row{"LoginOtherRefusal",
            Failure(Kind::LoginDenied, SmtpStep::Login, 534, "5.7.9 Mechanism too weak"),
            "Erreur : le serveur SMTP a refusé l'identification (534 5.7.9 Mechanism too "
            "weak)."},
        Row{"NoUsableMechanism", Failure(Kind::LoginDenied, SmtpStep::Ehlo, 250, "HELP"),
            "Erreur : le serveur SMTP smtp.exemple.fr ne propose aucune méthode "
            "d'identification utilisable."},
        Row{"GreetingRefusal", Failure(Kind::OddReply, SmtpStep::Greeting, 554, "No"),
            "Erreur : le serveur SMTP smtp.exemple.fr refuse la connexion (554 No)."},
        Row{"ShuttingDown", Failure(Kind::ReceiveFailed, SmtpStep::MailFrom, 421, "4.3.2 Bye"),
            "Erreur : le serveur SMTP smtp.exemple.fr a interrompu la session (421 4.3.2 Bye)."},
        Row{"SenderRefused", Failure(Kind::ConnectionLost, SmtpStep::MailFrom, 553, "5.7.1 Not yours"),
            "Erreur : le serveur SMTP a refusé l'expéditeur <moi@exemple.fr> (553 5.7.1 Not "
            "yours)."},
        Row{"RecipientRefused",
            Failure(Kind::ConnectionLost, SmtpStep::Recipient, 550, "5.1.1 User unknown"),
            "Erreur : le serveur SMTP a refusé le destinataire <x@exemple.fr> (550 5.1.1 User "
            "unknown)."},
        Row{"LoginNeeded",
            Failure(Kind::ConnectionLost, SmtpStep::MailFrom, 530, "5.7.0 Authentication required"),
            "Erreur : le serveur SMTP exige une identification avant l'envoi (530 5.7.0 "
            "Authentication required)."},
        Row{"DataRefused", Failure(Kind::ConnectionLost, SmtpStep::Data, 554, "No valid recipients"),
            "Erreur : le serveur SMTP a refusé de recevoir le message (DATA) (554 No valid "
            "recipients)."},
        Row{"TooBigAnnounced",
            Failure(Kind::ConnectionLost, SmtpStep::MailFrom, 552, "5.3.4 Message size exceeds"),
            "Erreur : le message est trop volumineux pour le serveur SMTP (552 5.3.4 Message "
            "size exceeds)."},
        Row{"TooBigAfterData",
            Failure(Kind::OddReply, SmtpStep::MessageEnd, 552, "Too much mail data"),
            "Erreur : le message est trop volumineux pour le serveur SMTP (552 Too much mail "
            "data)."},
        Row{"MessageRefused",
            Failure(Kind::OddReply, SmtpStep::MessageEnd, 554, "5.7.1 Spam"),
            "Erreur : le serveur SMTP a refusé le message (554 5.7.1 Spam)."},
        Row{"ClosedDuringLogin", Failure(Kind::ReceiveFailed, SmtpStep::Login),
            "Erreur : le serveur SMTP smtp.exemple.fr a fermé la connexion pendant "
            "l'identification."},
        Row{"ClosedAfterGreeting", Failure(Kind::ConnectionLost, SmtpStep::Greeting, 220, "ok"),
            "Erreur : le serveur SMTP smtp.exemple.fr a fermé la connexion juste après son "
            "message d'accueil."},
        Row{"OddSuccessReply", Failure(Kind::OddReply, SmtpStep::MessageEnd, 251, "hm"),
            "Erreur : le serveur SMTP smtp.exemple.fr a donné une réponse inattendue pendant la "
            "transmission du message (251 hm)."},
        Row{"AttachmentReadFailed", Failure(Kind::AttachmentReadFailed, SmtpStep::MessageEnd),
            "Erreur : la lecture de la pièce jointe a échoué pendant l'envoi du message."},
        Row{"Unclassified", Unclassified(),
            "Erreur : l'échange avec le serveur SMTP smtp.exemple.fr a échoué (A required "
            "function in the library was not found)."},
        Row{"UnknownTlsMode", [] { SmtpFailureDetails f; f.Kind = Kind::UnknownTlsMode; f.RawTlsMode = 7; return f; }(),
            "Erreur : le mode TLS 7 n'existe pas (valeurs possibles : 0 à 3)."},
        Row{"InvalidHostName", [] { SmtpFailureDetails f = Failure(Kind::InvalidHostName); f.Host = "a b"; return f; }(),
            "Erreur : le nom du serveur SMTP « a b » n'est pas valide."},
        Row{"AddressNeedsSmtpUtf8", [] { SmtpFailureDetails f; f.Kind = Kind::AddressNeedsSmtpUtf8; f.Address = "jérôme@exemple.fr"; return f; }(),
            "Erreur : l'adresse e-mail <jérôme@exemple.fr> contient des caractères accentués ou "
            "non latins avant le « @ », que le serveur SMTP n'accepte pas (il ne propose pas "
            "l'extension SMTPUTF8)."},
        Row{"DocumentMissing", Document(Kind::DocumentMissing),
            "Erreur : la pièce jointe « /tmp/commande 42.pdf » est introuvable."},
        Row{"DocumentUnreadable", Document(Kind::DocumentUnreadable),
            "Erreur : la pièce jointe « /tmp/commande 42.pdf » ne peut pas être lue."},
        Row{"DocumentChanged", Document(Kind::DocumentChanged),
            "Erreur : la pièce jointe « /tmp/commande 42.pdf » a été modifiée pendant l'envoi ; "
            "le message n'a pas été envoyé."},
        Row{"DocumentReadFailed", Document(Kind::DocumentReadFailed),
            "Erreur : la lecture de la pièce jointe « /tmp/commande 42.pdf » a échoué pendant "
            "l'envoi ; le message n'a pas été envoyé."}),
    [](const ::testing::TestParamInfo<Row>& row) { return std::string(row.param.name); });

TEST(SmtpFailureText, ServerTextIsCleanedAndCut) {
  SmtpFailureDetails f = Failure(Kind::ConnectionLost, SmtpStep::Recipient, 550,
                                 "bad\r\n\x01\x1b[31m  user \xff\xfe" + std::string(1000, 'z'));
  const std::string text = TextOf(f);
  EXPECT_EQ(text.find('\x1b'), std::string::npos);
  EXPECT_EQ(text.find('\r'), std::string::npos);
  EXPECT_EQ(text.find('\xff'), std::string::npos);
  EXPECT_NE(text.find("(550 bad [31m user zzz"), std::string::npos) << text;
  EXPECT_LT(text.size(), 420u);
  EXPECT_EQ(text.substr(text.size() - 5), "…).");
}

TEST(SmtpFailureText, HostIsShownCleaned) {
  SmtpFailureDetails f = Failure(Kind::HostNotFound);
  f.Host = "smtp.\nexemple.fr\x07";
  EXPECT_EQ(TextOf(f),
            "Erreur : le serveur SMTP smtp. exemple.fr est introuvable (nom d'hôte inconnu).");
}

}  // namespace
}  // namespace vellumo
