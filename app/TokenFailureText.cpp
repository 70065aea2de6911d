#include "app/TokenFailureText.h"

#include <string_view>

#include "app/CertificateText.h"
#include "smtp/SmtpFailure.h"
#include "text/PrintableExcerpt.h"

namespace vellumo {
namespace {

using Kind = SmtpFailureKind;

constexpr const char* kStart = "Erreur : impossible d'obtenir le jeton d'accès OAuth : ";

std::string Printable(std::string_view raw, std::size_t maxBytes) {
  return PrintableExcerpt(raw, maxBytes, ExcerptStyle::Collapsed);
}

// Microsoft follows its description with trace and time lines that tell
// the user nothing.
std::string_view FirstLine(std::string_view text) {
  return text.substr(0, text.find_first_of("\r\n"));
}

// What the user can do about the endpoint's "error".
std::string Advice(const std::string& error) {
  if (error == "invalid_client") return " Vérifiez OAuthClientId et OAuthClientSecret.";
  if (error == "invalid_grant") {
    return " Le jeton de renouvellement (OAuthJetonRenouvellement) n'est plus valable : le "
           "titulaire du compte doit en obtenir un nouveau.";
  }
  if (error == "invalid_scope") return " Vérifiez OAuthPortee.";
  if (error == "unauthorized_client" || error == "unsupported_grant_type") {
    return " Vérifiez l'enregistrement de l'application auprès du fournisseur.";
  }
  return {};
}

std::string Refusal(const SmtpFailureDetails& f, const std::string& server) {
  std::string why;
  if (!f.OAuthError.empty()) {
    why = Printable(f.OAuthError, 80);
    const std::string description = Printable(FirstLine(f.OAuthErrorDescription), 300);
    if (!description.empty()) why += " : " + description;
  } else {
    why = "HTTP " + std::to_string(f.HttpStatus);
  }
  return kStart + std::string("le ") + server + " a refusé la demande (" + why + ")." +
         Advice(f.OAuthError);
}

std::string Transfer(const SmtpFailureDetails& f, const std::string& server) {
  const std::string port = std::to_string(f.Port);
  if (f.ViaProxy && (f.Kind == Kind::HostNotFound || f.Kind == Kind::ConnectFailed)) {
    return kStart + std::string("le proxy indiqué par OAuthProxy est injoignable.");
  }
  switch (f.Kind) {
    case Kind::HostNotFound:
      return kStart + std::string("le ") + server + " est introuvable (nom d'hôte inconnu).";
    case Kind::ConnectFailed:
      if (f.ConnectionRefused) {
        return kStart + std::string("le ") + server + " a refusé la connexion sur le port " + port +
               " (aucun service n'y répond).";
      }
      return kStart + std::string("le ") + server + " est injoignable sur le port " + port + ".";
    case Kind::TimedOut:
      if (!f.TcpConnected) {
        return kStart + std::string("le ") + server + " ne répond pas : la connexion sur le port " +
               port + " n'a pas abouti en " + std::to_string(f.TimeoutSeconds) + " s.";
      }
      return kStart + std::string("le ") + server + " ne répond plus (aucune réponse en " +
             std::to_string(f.TimeoutSeconds) + " s).";
    case Kind::CertificateRejected:
      return kStart + CertificateText(f, server);
    case Kind::TrustStoreUnreadable:
      return kStart + std::string(
                          "le fichier des autorités de certification de confiance ne peut pas être "
                          "lu.");
    case Kind::TlsFailed:
      return kStart + std::string("la négociation du chiffrement TLS avec le ") + server +
             " a échoué" +
             (f.Detail.empty() ? std::string() : " (détail : " + Printable(f.Detail, 200) + ")") +
             ".";
    case Kind::OutOfMemory:
      return kStart + std::string("mémoire insuffisante.");
    default:
      break;
  }
  std::string detail = f.LibraryText;
  if (!f.Detail.empty()) detail += " : " + f.Detail;
  return kStart + std::string("l'échange avec le ") + server + " a échoué (" +
         Printable(detail, 250) + ").";
}

}  // namespace

std::string TokenFailureText(const SmtpFailureDetails& f) {
  const std::string server = "serveur d'authentification " + Printable(f.Host, 120);
  switch (f.Kind) {
    case Kind::OAuthProviderUnknown:
      if (f.OAuthProvider.empty()) {
        return kStart + std::string(
                            "aucun fournisseur n'est indiqué (OAuthFournisseur : "
                            "microsoft ou google, ou bien OAuthUrlJeton).");
      }
      return kStart + std::string("le fournisseur « ") +
             PrintableExcerpt(f.OAuthProvider, 80, ExcerptStyle::Verbatim) +
             " » est inconnu (OAuthFournisseur : microsoft ou google, ou bien OAuthUrlJeton).";
    case Kind::OAuthEndpointNotHttps:
      return kStart + std::string(
                          "l'adresse du serveur d'authentification (OAuthUrlJeton) doit "
                          "commencer par https://.");
    case Kind::OAuthNoClientCredentials:
      return kStart + std::string(
                          "Google n'en délivre pas pour la messagerie sans l'accord du "
                          "titulaire du compte (OAuthJetonRenouvellement manquant).");
    case Kind::TokenRefused:
      return Refusal(f, server);
    case Kind::TokenAnswerUnreadable:
      return kStart + std::string("le ") + server + " a répondu sans jeton d'accès utilisable.";
    case Kind::SessionNotOpened:
    case Kind::SettingRefused:
      return kStart + std::string(
                          "la bibliothèque de connexion (libcurl) n'a pas pu préparer la "
                          "demande.");
    default:
      break;
  }
  return Transfer(f, server);
}

}  // namespace vellumo
