#include "app/SmtpFailureText.h"

#include <string_view>

#include "app/CertificateText.h"
#include "app/TokenFailureText.h"
#include "smtp/SmtpFailure.h"
#include "text/PrintableExcerpt.h"

namespace vellumo {
namespace {

using Kind = SmtpFailureKind;

// Server and library text made safe to show.
std::string Printable(std::string_view raw, std::size_t maxBytes = 300) {
  return PrintableExcerpt(raw, maxBytes, ExcerptStyle::Collapsed);
}

bool Contains(std::string_view text, std::string_view word) {
  return text.find(word) != std::string_view::npos;
}

std::string Quoted(const SmtpFailureDetails& f) {
  if (f.ReplyCode == 0) return {};
  std::string reply = std::to_string(f.ReplyCode);
  if (!f.ReplyText.empty()) reply += " " + f.ReplyText;
  return " (" + Printable(reply) + ")";
}

// Whether the session goes on after this reply at this step; any other
// reply is one libcurl gave up on.
bool ExpectedReply(SmtpStep step, int code) {
  switch (step) {
    case SmtpStep::StartTls:
      return code == 220;
    case SmtpStep::Login:
      return code / 100 == 2 || code == 334;
    case SmtpStep::Data:
    case SmtpStep::MessageEnd:
      return code == 354;
    case SmtpStep::Other:
      return true;  // nothing known to judge by
    default:
      break;
  }
  return code / 100 == 2;
}

std::string Address(const std::string& address) { return "<" + Printable(address, 200) + ">"; }

// Where the session was, as the end of a sentence.
std::string During(SmtpStep step) {
  switch (step) {
    case SmtpStep::Connecting:
      return "en attente de son message d'accueil";
    case SmtpStep::Greeting:
      return "juste après son message d'accueil";
    case SmtpStep::Ehlo:
      return "pendant la présentation (EHLO)";
    case SmtpStep::StartTls:
      return "pendant le passage au chiffrement (STARTTLS)";
    case SmtpStep::Login:
      return "pendant l'identification";
    case SmtpStep::Noop:
      return "pendant le test de la connexion";
    case SmtpStep::MailFrom:
      return "à l'annonce de l'expéditeur";
    case SmtpStep::Recipient:
      return "à l'annonce des destinataires";
    case SmtpStep::Data:
    case SmtpStep::MessageEnd:
      return "pendant la transmission du message";
    case SmtpStep::Other:
      break;
  }
  return "pendant l'échange";
}

std::string Login(const SmtpFailureDetails& f, const std::string& host) {
  if (f.OAuthLogin && (f.Step != SmtpStep::Login || f.ReplyCode == 0)) {
    return "Erreur : le serveur SMTP " + host +
           " ne propose pas l'identification OAuth 2.0 (XOAUTH2).";
  }
  if (f.Step != SmtpStep::Login || f.ReplyCode == 0) {
    return "Erreur : le serveur SMTP " + host +
           " ne propose aucune méthode d'identification utilisable.";
  }
  if (f.ReplyCode / 100 == 4) {
    return "Erreur : le serveur SMTP a refusé temporairement l'identification" + Quoted(f) +
           ". Réessayez plus tard.";
  }
  if (f.OAuthLogin) {
    // Some servers refuse a token with a 334 challenge in base64, which
    // libcurl does not answer: nothing worth quoting.
    return "Erreur : le serveur SMTP a refusé le jeton d'accès OAuth" +
           (f.ReplyCode == 334 ? std::string() : Quoted(f)) +
           ". Vérifiez que SmtpCompte est bien la boîte aux lettres du compte qui a donné son "
           "accord et que l'application a le droit d'envoyer du courrier par SMTP.";
  }
  // Microsoft's answer once password login is turned off for the tenant.
  if (f.ReplyCode == 535 && f.ReplyText.starts_with("5.7.139")) {
    return "Erreur : le serveur SMTP a refusé l'identification par mot de passe, que le "
           "fournisseur de la messagerie a désactivée" +
           Quoted(f) +
           ". Passez à l'identification OAuth 2.0 (SmtpOAuth=1 dans la section ConfigMail).";
  }
  if (f.ReplyCode == 535) {
    return "Erreur : le serveur SMTP a refusé l'identification : nom d'utilisateur ou mot de "
           "passe incorrect" +
           Quoted(f) + ".";
  }
  return "Erreur : le serveur SMTP a refusé l'identification" + Quoted(f) + ".";
}

// The login waited for TLS, which the server did not give.
std::string NotEncrypted(const SmtpFailureDetails& f, const std::string& host) {
  std::string why = "le serveur ne propose pas le chiffrement STARTTLS";
  if (f.Step == SmtpStep::StartTls && f.ReplyCode != 0) {
    why = "le serveur a refusé le passage au chiffrement (STARTTLS)" + Quoted(f);
  } else if (f.ReplyCode >= 400) {
    why = "le serveur a refusé la présentation (EHLO)" + Quoted(f);
  }
  return "Erreur : la connexion au serveur SMTP " + host + " n'a pas pu être chiffrée : " + why +
         ". Le mot de passe n'a donc pas été envoyé.";
}

std::string Refusal(const SmtpFailureDetails& f, const std::string& host) {
  if (f.ReplyCode == 421) {
    return "Erreur : le serveur SMTP " + host + " a interrompu la session" + Quoted(f) + ".";
  }
  if (f.ReplyCode == 552 && (f.Step == SmtpStep::MailFrom || f.Step == SmtpStep::MessageEnd)) {
    return "Erreur : le message est trop volumineux pour le serveur SMTP" + Quoted(f) + ".";
  }
  if (f.ReplyCode == 530 &&
      (f.Step == SmtpStep::MailFrom || f.Step == SmtpStep::Recipient || f.Step == SmtpStep::Data)) {
    return "Erreur : le serveur SMTP exige une identification avant l'envoi" + Quoted(f) + ".";
  }
  switch (f.Step) {
    case SmtpStep::Connecting:
    case SmtpStep::Greeting:
      return "Erreur : le serveur SMTP " + host + " refuse la connexion" + Quoted(f) + ".";
    case SmtpStep::Ehlo:
      if (f.Kind == Kind::LoginDenied) {  // answered HELO, which allows no login
        return "Erreur : le serveur SMTP a refusé la présentation (EHLO)" + Quoted(f) +
               " : l'identification configurée est impossible.";
      }
      return "Erreur : le serveur SMTP a refusé la présentation (EHLO)" + Quoted(f) + ".";
    case SmtpStep::StartTls:
      return "Erreur : le serveur SMTP a refusé le passage au chiffrement (STARTTLS)" + Quoted(f) +
             ".";
    case SmtpStep::Login:
      return Login(f, host);
    case SmtpStep::MailFrom:
      return "Erreur : le serveur SMTP a refusé l'expéditeur " + Address(f.Sender) + Quoted(f) +
             ".";
    case SmtpStep::Recipient:
      return "Erreur : le serveur SMTP a refusé le destinataire " + Address(f.Recipient) +
             Quoted(f) + ".";
    case SmtpStep::Data:
      return "Erreur : le serveur SMTP a refusé de recevoir le message (DATA)" + Quoted(f) + ".";
    case SmtpStep::MessageEnd:
      return "Erreur : le serveur SMTP a refusé le message" + Quoted(f) + ".";
    case SmtpStep::Noop:
    case SmtpStep::Other:
      break;
  }
  return "Erreur : le serveur SMTP a répondu par une erreur " + During(f.Step) + Quoted(f) + ".";
}

std::string Document(const SmtpFailureDetails& f) {
  const std::string path = "« " + Printable(f.Path, 250) + " »";
  switch (f.Kind) {
    case Kind::DocumentMissing:
      return "Erreur : la pièce jointe " + path + " est introuvable.";
    case Kind::DocumentReadFailed:
      return "Erreur : la lecture de la pièce jointe " + path +
             " a échoué pendant l'envoi ; le message n'a pas été envoyé.";
    case Kind::DocumentChanged:
      return "Erreur : la pièce jointe " + path +
             " a été modifiée pendant l'envoi ; le message n'a pas été envoyé.";
    default:
      break;
  }
  return "Erreur : la pièce jointe " + path + " ne peut pas être lue.";
}

// Failures of the session with the server.
std::string Transfer(const SmtpFailureDetails& f) {
  const std::string host = Printable(f.Host, 120);
  const std::string port = std::to_string(f.Port);
  if (f.LoginAwaitsTls && (f.Kind == Kind::StartTlsRequired ||
                           (f.Kind == Kind::AccessDenied && f.Step == SmtpStep::Ehlo))) {
    return NotEncrypted(f, host);
  }
  switch (f.Kind) {
    case Kind::HostNotFound:
      return "Erreur : le serveur SMTP " + host + " est introuvable (nom d'hôte inconnu).";
    case Kind::ConnectFailed:
      if (f.ConnectionRefused) {
        return "Erreur : le serveur SMTP " + host + " a refusé la connexion sur le port " + port +
               " (aucun service n'y répond).";
      }
      return "Erreur : impossible de joindre le serveur SMTP " + host + " sur le port " + port +
             ".";
    case Kind::TimedOut:
      if (!f.TcpConnected) {
        return "Erreur : le serveur SMTP " + host + " ne répond pas : la connexion sur le port " +
               port + " n'a pas abouti en " + std::to_string(f.TimeoutSeconds) + " s.";
      }
      return "Erreur : le serveur SMTP " + host + " ne répond plus (aucune réponse en " +
             std::to_string(f.TimeoutSeconds) + " s, " + During(f.Step) + ").";
    case Kind::CertificateRejected:
      return "Erreur : " + CertificateText(f, "serveur " + host);
    case Kind::TrustStoreUnreadable:
      return "Erreur : le fichier des autorités de certification de confiance ne peut pas être "
             "lu.";
    case Kind::TlsFailed:
      // Schannel's own check ends the handshake on some verdicts.
      if (NamesCertificateVerdict(f.Detail)) return "Erreur : " + CertificateText(f, "serveur " + host);
      return "Erreur : la négociation du chiffrement TLS avec le serveur SMTP " + host +
             " a échoué" +
             (f.Detail.empty() ? std::string() : " (détail : " + Printable(f.Detail, 200) + ")") +
             ".";
    case Kind::AttachmentReadFailed:
      return "Erreur : la lecture de la pièce jointe a échoué pendant l'envoi du message.";
    case Kind::OutOfMemory:
      return "Erreur : mémoire insuffisante pour envoyer le message.";
    default:
      break;
  }
  if (f.ReplyCode >= 400) return Refusal(f, host);
  if (f.ReplyCode != 0 && !ExpectedReply(f.Step, f.ReplyCode)) {
    return "Erreur : le serveur SMTP " + host + " a donné une réponse inattendue " +
           During(f.Step) + Quoted(f) + ".";
  }
  switch (f.Kind) {
    case Kind::LoginDenied:
      return Login(f, host);
    case Kind::StartTlsRequired:
      return "Erreur : le serveur SMTP " + host +
             " ne propose pas le chiffrement STARTTLS, exigé par la configuration.";
    case Kind::ReceiveFailed:
      // libcurl gives up on a reply longer than it accepts; the server is
      // still there.
      if (Contains(f.Detail, "Too large")) {
        return "Erreur : le serveur SMTP " + host + " a envoyé une réponse trop longue " +
               During(f.Step) + ".";
      }
      [[fallthrough]];
    case Kind::ConnectionLost:
      return "Erreur : le serveur SMTP " + host + " a fermé la connexion " + During(f.Step) + ".";
    case Kind::OddReply:
      if (f.ReplyCode == 0) {
        return "Erreur : le serveur SMTP " + host + " a fermé la connexion " + During(f.Step) + ".";
      }
      return "Erreur : le serveur SMTP " + host + " a donné une réponse inattendue " +
             During(f.Step) + Quoted(f) + ".";
    default:
      break;
  }
  std::string detail = f.LibraryText;
  if (!f.Detail.empty()) detail += " : " + f.Detail;
  return "Erreur : l'échange avec le serveur SMTP " + host + " a échoué (" +
         Printable(detail, 250) + ").";
}

}  // namespace

std::string SmtpFailureText(const SmtpFailure& failure) {
  const SmtpFailureDetails& f = failure.Details();
  if (f.TokenRequest) return TokenFailureText(f);
  switch (f.Kind) {
    case Kind::LibraryNotInitialised:
      return "Erreur : la bibliothèque de connexion (libcurl) n'a pas pu être initialisée.";
    case Kind::SessionNotOpened:
      return "Erreur : la bibliothèque de connexion (libcurl) n'a pas pu ouvrir de session.";
    case Kind::SettingRefused:
      return "Erreur : la bibliothèque de connexion (libcurl) refuse un réglage de la connexion "
             "SMTP.";
    case Kind::UnknownTlsMode:
      return "Erreur : le mode TLS " + std::to_string(f.RawTlsMode) +
             " n'existe pas (valeurs possibles : 0 à 3).";
    case Kind::InvalidHostName:
      return "Erreur : le nom du serveur SMTP « " + Printable(f.Host, 120) + " » n'est pas valide.";
    case Kind::AddressNeedsSmtpUtf8:
      return "Erreur : l'adresse e-mail <" + Printable(f.Address, 200) +
             "> contient des caractères accentués ou non latins avant le « @ », que le serveur "
             "SMTP n'accepte pas (il ne propose pas l'extension SMTPUTF8).";
    case Kind::DocumentMissing:
    case Kind::DocumentUnreadable:
    case Kind::DocumentReadFailed:
    case Kind::DocumentChanged:
      return Document(f);
    case Kind::MessageNotPrepared:
      return "Erreur : mémoire insuffisante pour préparer le message.";
    case Kind::MessageRefusedByLibrary:
      return "Erreur : le message n'a pas pu être préparé pour l'envoi (" + f.LibraryText + ").";
    case Kind::OAuthProviderUnknown:
    case Kind::OAuthEndpointNotHttps:
    case Kind::OAuthNoClientCredentials:
    case Kind::TokenRefused:
    case Kind::TokenAnswerUnreadable:
      return TokenFailureText(f);
    default:
      break;
  }
  return Transfer(f);
}

}  // namespace vellumo
