#pragma once
// Every section and key name of the host's file, with the default each read
// gives when the key is missing. Product code names them only through here.
#include <cstdint>

namespace vellumo::keys {

// The run and the message.
inline constexpr const char* kEmail = "Email";
inline constexpr const char* kRunMode = "EnvoiMode";
inline constexpr std::int32_t kRunModeDefault = 1;
inline constexpr const char* kDocumentPath = "FilePath";
inline constexpr const char* kDocumentName = "FileName";
inline constexpr const char* kSender = "AdresseEnvoi";
inline constexpr const char* kRecipients = "EnvoyerA";
inline constexpr const char* kSubject = "Objet";
inline constexpr const char* kCopy = "Cc";
inline constexpr const char* kBlindCopy = "Cci";
inline constexpr const char* kPriority = "Priorite";
inline constexpr std::int32_t kPriorityDefault = 2;
inline constexpr const char* kReceipt = "AvecAR";
inline constexpr bool kReceiptDefault = false;

// The body: one line per key, in file order.
inline constexpr const char* kBody = "EmailCorps";

// The SMTP account.
inline constexpr const char* kAccount = "ConfigMail";
inline constexpr const char* kHost = "SmtpAdresse";
inline constexpr const char* kPort = "SmtpPort";
inline constexpr std::int32_t kPortDefault = -1;  // no port: the account is unusable
inline constexpr const char* kAuth = "SmtpAuth";
inline constexpr bool kAuthDefault = false;
inline constexpr const char* kLogin = "SmtpCompte";
inline constexpr const char* kPassword = "SmtpMotDePasse";
inline constexpr const char* kUseTls = "UseSmtpTLS";
inline constexpr bool kUseTlsDefault = false;
inline constexpr const char* kTlsMode = "SmtpTLSMode";
inline constexpr std::int32_t kTlsModeDefault = 0;
inline constexpr const char* kVerifyCertificate = "SmtpVerifierCertificat";
inline constexpr bool kVerifyCertificateDefault = true;
// OAuth 2.0 login (XOAUTH2), read when SmtpAuth and SmtpOAuth are both on.
inline constexpr const char* kOAuth = "SmtpOAuth";
inline constexpr bool kOAuthDefault = false;
inline constexpr const char* kOAuthProvider = "OAuthFournisseur";
inline constexpr const char* kOAuthTenant = "OAuthTenant";
inline constexpr const char* kOAuthTenantDefault = "organizations";
inline constexpr const char* kOAuthClientId = "OAuthClientId";
inline constexpr const char* kOAuthClientSecret = "OAuthClientSecret";
inline constexpr const char* kOAuthRefreshToken = "OAuthJetonRenouvellement";
inline constexpr const char* kOAuthAccessToken = "OAuthJetonAcces";
inline constexpr const char* kOAuthTokenUrl = "OAuthUrlJeton";
inline constexpr const char* kOAuthScope = "OAuthPortee";
inline constexpr const char* kOAuthProxy = "OAuthProxy";

// Written by Vellumo: the host's only sign of a failed run.
inline constexpr const char* kFailureSection = "ExportationMailErreur";
inline constexpr const char* kFailureKey = "Erreur";

}  // namespace vellumo::keys
