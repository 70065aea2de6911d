#include "smtp/curl/CurlErrorText.h"

#include "mail/MailText.h"

namespace vellumo {
namespace {

// Length of the valid UTF-8 sequence starting at text[i], 0 if invalid.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  std::size_t length = 0;
  char32_t minimum = 0;
  char32_t value = 0;
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, minimum = 0x80, value = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, minimum = 0x800, value = lead & 0x0Fu;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, minimum = 0x10000, value = lead & 0x07u;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0u) != 0x80u) return 0;
    value = (value << 6) | (byte(i + k) & 0x3Fu);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  // C1 control characters.
  if (value >= 0x80 && value <= 0x9F) return 0;
  return length;
}

bool Contains(std::string_view text, std::string_view word) {
  return text.find(word) != std::string_view::npos;
}

std::string Quoted(const CurlFailure& f) {
  if (f.ReplyCode == 0) return {};
  std::string reply = std::to_string(f.ReplyCode);
  if (!f.ReplyText.empty()) reply += " " + f.ReplyText;
  return " (" + PrintableText(reply) + ")";
}

// Whether the session goes on after this reply at this step; any other
// reply is one libcurl gave up on.
bool ExpectedReply(SmtpStep step, int code) {
  switch (step) {
    case SmtpStep::StartTls: return code == 220;
    case SmtpStep::Login: return code / 100 == 2 || code == 334;
    case SmtpStep::Data:
    case SmtpStep::MessageEnd: return code == 354;
    case SmtpStep::Other: return true;  // nothing known to judge by
    default: break;
  }
  return code / 100 == 2;
}

std::string Address(const std::string& address) { return "<" + PrintableText(address, 200) + ">"; }

// Where the session was, as the end of a sentence.
std::string During(SmtpStep step) {
  switch (step) {
    case SmtpStep::Connecting: return "en attente de son message d'accueil";
    case SmtpStep::Greeting: return "juste après son message d'accueil";
    case SmtpStep::Ehlo: return "pendant la présentation (EHLO)";
    case SmtpStep::StartTls: return "pendant le passage au chiffrement (STARTTLS)";
    case SmtpStep::Login: return "pendant l'identification";
    case SmtpStep::Noop: return "pendant le test de la connexion";
    case SmtpStep::MailFrom: return "à l'annonce de l'expéditeur";
    case SmtpStep::Recipient: return "à l'annonce des destinataires";
    case SmtpStep::Data:
    case SmtpStep::MessageEnd: return "pendant la transmission du message";
    case SmtpStep::Other: break;
  }
  return "pendant l'échange";
}

std::string Certificate(const CurlFailure& f, const std::string& host) {
  const std::string start = "Erreur : le certificat du serveur " + host;
  switch (f.VerifyResult) {
    case 18:  // X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT
    case 19:  // X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN
      return start + " n'est pas reconnu (certificat auto-signé).";
    case 2:   // X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT
    case 20:  // X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY
    case 21:  // X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE
      return start + " n'est pas reconnu (autorité de certification inconnue).";
    case 10:  // X509_V_ERR_CERT_HAS_EXPIRED
      return start + " a expiré.";
    case 9:  // X509_V_ERR_CERT_NOT_YET_VALID
      return start + " n'est pas encore valide.";
    case 23:  // X509_V_ERR_CERT_REVOKED
      return start + " a été révoqué.";
    case 62:  // X509_V_ERR_HOSTNAME_MISMATCH
      return start + " a été émis pour un autre nom de serveur.";
    default: break;
  }
  // libcurl checks the host name itself once the chain is trusted, and
  // then reports a non-zero placeholder result.
  if (Contains(f.ErrorBuffer, "host name") || Contains(f.ErrorBuffer, "subject name")) {
    return start + " a été émis pour un autre nom de serveur.";
  }
  if (f.VerifyResult != 0) {
    return start + " n'a pas pu être vérifié (code de vérification " +
           std::to_string(f.VerifyResult) + ").";
  }
  return start + " n'a pas pu être vérifié" +
         (f.ErrorBuffer.empty() ? std::string() : " (" + PrintableText(f.ErrorBuffer, 200) + ")") +
         ".";
}

std::string Login(const CurlFailure& f, const std::string& host) {
  if (f.Step != SmtpStep::Login || f.ReplyCode == 0) {
    return "Erreur : le serveur SMTP " + host +
           " ne propose aucune méthode d'identification utilisable.";
  }
  if (f.ReplyCode / 100 == 4) {
    return "Erreur : le serveur SMTP a refusé temporairement l'identification" + Quoted(f) +
           ". Réessayez plus tard.";
  }
  if (f.ReplyCode == 535) {
    return "Erreur : le serveur SMTP a refusé l'identification : nom d'utilisateur ou mot de "
           "passe incorrect" +
           Quoted(f) + ".";
  }
  return "Erreur : le serveur SMTP a refusé l'identification" + Quoted(f) + ".";
}

// The login waited for TLS, which the server did not give.
std::string NotEncrypted(const CurlFailure& f, const std::string& host) {
  std::string why = "le serveur ne propose pas le chiffrement STARTTLS";
  if (f.Step == SmtpStep::StartTls && f.ReplyCode != 0) {
    why = "le serveur a refusé le passage au chiffrement (STARTTLS)" + Quoted(f);
  } else if (f.ReplyCode >= 400) {
    why = "le serveur a refusé la présentation (EHLO)" + Quoted(f);
  }
  return "Erreur : la connexion au serveur SMTP " + host + " n'a pas pu être chiffrée : " + why +
         ". Le mot de passe n'a donc pas été envoyé.";
}

std::string Refusal(const CurlFailure& f, const std::string& host) {
  if (f.ReplyCode == 421) {
    return "Erreur : le serveur SMTP " + host + " a interrompu la session" + Quoted(f) + ".";
  }
  if (f.ReplyCode == 552 && (f.Step == SmtpStep::MailFrom || f.Step == SmtpStep::MessageEnd)) {
    return "Erreur : le message est trop volumineux pour le serveur SMTP" + Quoted(f) + ".";
  }
  if (f.ReplyCode == 530 && (f.Step == SmtpStep::MailFrom || f.Step == SmtpStep::Recipient ||
                             f.Step == SmtpStep::Data)) {
    return "Erreur : le serveur SMTP exige une identification avant l'envoi" + Quoted(f) + ".";
  }
  switch (f.Step) {
    case SmtpStep::Connecting:
    case SmtpStep::Greeting:
      return "Erreur : le serveur SMTP " + host + " refuse la connexion" + Quoted(f) + ".";
    case SmtpStep::Ehlo:
      if (f.Code == CURLE_LOGIN_DENIED) {  // answered HELO, which allows no login
        return "Erreur : le serveur SMTP a refusé la présentation (EHLO)" + Quoted(f) +
               " : l'identification configurée est impossible.";
      }
      return "Erreur : le serveur SMTP a refusé la présentation (EHLO)" + Quoted(f) + ".";
    case SmtpStep::StartTls:
      return "Erreur : le serveur SMTP a refusé le passage au chiffrement (STARTTLS)" + Quoted(f) +
             ".";
    case SmtpStep::Login: return Login(f, host);
    case SmtpStep::MailFrom:
      return "Erreur : le serveur SMTP a refusé l'expéditeur " + Address(f.Sender) + Quoted(f) + ".";
    case SmtpStep::Recipient:
      return "Erreur : le serveur SMTP a refusé le destinataire " + Address(f.Recipient) +
             Quoted(f) + ".";
    case SmtpStep::Data:
      return "Erreur : le serveur SMTP a refusé de recevoir le message (DATA)" + Quoted(f) + ".";
    case SmtpStep::MessageEnd:
      return "Erreur : le serveur SMTP a refusé le message" + Quoted(f) + ".";
    case SmtpStep::Noop:
    case SmtpStep::Other: break;
  }
  return "Erreur : le serveur SMTP a répondu par une erreur " + During(f.Step) + Quoted(f) + ".";
}

}  // namespace

std::string PrintableText(std::string_view raw, std::size_t maxBytes) {
  std::string out;
  bool pendingSpace = false;
  std::size_t i = 0;
  while (i < raw.size()) {
    const std::size_t length = Utf8SequenceLength(raw, i);
    if (length == 0) {  // invalid byte: dropped
      ++i;
      continue;
    }
    if (IsFormatCharacterAt(raw, i)) {  // bidi overrides, zero-width characters
      i += length;
      continue;
    }
    const auto lead = static_cast<unsigned char>(raw[i]);
    if (length == 1 && (lead <= 0x20 || lead == 0x7F)) {  // controls and spaces
      pendingSpace = !out.empty();
      ++i;
      continue;
    }
    const std::size_t needed = length + (pendingSpace ? 1 : 0);
    if (out.size() + needed > maxBytes) {
      out += "…";
      return out;
    }
    if (pendingSpace) out.push_back(' ');
    pendingSpace = false;
    out.append(raw.substr(i, length));
    i += length;
  }
  return out;
}

std::string DescribeCurlFailure(const CurlFailure& f) {
  const std::string host = PrintableText(f.Host, 120);
  const std::string port = std::to_string(f.Port);
  if (f.LoginAwaitsTls && (f.Code == CURLE_USE_SSL_FAILED ||
                           (f.Code == CURLE_REMOTE_ACCESS_DENIED && f.Step == SmtpStep::Ehlo))) {
    return NotEncrypted(f, host);
  }
  switch (f.Code) {
    case CURLE_OK: return {};
    case CURLE_URL_MALFORMAT:
      return "Erreur : le nom du serveur SMTP « " + host + " » n'est pas valide.";
    case CURLE_COULDNT_RESOLVE_HOST:
      return "Erreur : le serveur SMTP " + host + " est introuvable (nom d'hôte inconnu).";
    case CURLE_COULDNT_CONNECT:
      if (f.ConnectionRefused) {
        return "Erreur : le serveur SMTP " + host + " a refusé la connexion sur le port " + port +
               " (aucun service n'y répond).";
      }
      return "Erreur : impossible de joindre le serveur SMTP " + host + " sur le port " + port + ".";
    case CURLE_OPERATION_TIMEDOUT:
      if (!f.TcpConnected) {
        return "Erreur : le serveur SMTP " + host + " ne répond pas : la connexion sur le port " +
               port + " n'a pas abouti en " + std::to_string(f.ConnectTimeoutSeconds) + " s.";
      }
      return "Erreur : le serveur SMTP " + host + " ne répond plus (aucune réponse en " +
             std::to_string(f.IdleTimeoutSeconds) + " s, " + During(f.Step) + ").";
    case CURLE_PEER_FAILED_VERIFICATION: return Certificate(f, host);
    case CURLE_SSL_CACERT_BADFILE:
      return "Erreur : le fichier des autorités de certification de confiance ne peut pas être "
             "lu.";
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_ENGINE_INITFAILED:
    case CURLE_SSL_SHUTDOWN_FAILED:
      return "Erreur : la négociation du chiffrement TLS avec le serveur SMTP " + host +
             " a échoué" +
             (f.ErrorBuffer.empty() ? std::string()
                                    : " (détail : " + PrintableText(f.ErrorBuffer, 200) + ")") +
             ".";
    case CURLE_READ_ERROR:
      return "Erreur : la lecture de la pièce jointe a échoué pendant l'envoi du message.";
    case CURLE_OUT_OF_MEMORY:
      return "Erreur : mémoire insuffisante pour envoyer le message.";
    default: break;
  }
  if (f.ReplyCode >= 400) return Refusal(f, host);
  if (f.ReplyCode != 0 && !ExpectedReply(f.Step, f.ReplyCode)) {
    return "Erreur : le serveur SMTP " + host + " a donné une réponse inattendue " +
           During(f.Step) + Quoted(f) + ".";
  }
  switch (f.Code) {
    case CURLE_LOGIN_DENIED: return Login(f, host);
    case CURLE_USE_SSL_FAILED:
      return "Erreur : le serveur SMTP " + host +
             " ne propose pas le chiffrement STARTTLS, exigé par la configuration.";
    case CURLE_RECV_ERROR:
      // libcurl gives up on a reply longer than it accepts; the server is
      // still there.
      if (Contains(f.ErrorBuffer, "Too large")) {
        return "Erreur : le serveur SMTP " + host + " a envoyé une réponse trop longue " +
               During(f.Step) + ".";
      }
      [[fallthrough]];
    case CURLE_SEND_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
    case CURLE_UPLOAD_FAILED:
      return "Erreur : le serveur SMTP " + host + " a fermé la connexion " + During(f.Step) + ".";
    case CURLE_WEIRD_SERVER_REPLY:
      if (f.ReplyCode == 0) {
        return "Erreur : le serveur SMTP " + host + " a fermé la connexion " + During(f.Step) +
               ".";
      }
      return "Erreur : le serveur SMTP " + host + " a donné une réponse inattendue " +
             During(f.Step) + Quoted(f) + ".";
    default: break;
  }
  std::string detail = curl_easy_strerror(f.Code);
  if (!f.ErrorBuffer.empty()) detail += " : " + f.ErrorBuffer;
  return "Erreur : l'échange avec le serveur SMTP " + host + " a échoué (" +
         PrintableText(detail, 250) + ").";
}

}  // namespace vellumo
