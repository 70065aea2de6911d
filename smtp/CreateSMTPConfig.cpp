// Builds the SMTP account from section ConfigMail and marks the connection
// group's first step.
#include <new>

#include "app/UnitFicheVellumo.h"
#include "config/IniFile.h"
#include "smtp/TSMTPConfig.h"

namespace vellumo {

namespace {
constexpr const char* kSection = "ConfigMail";
constexpr const char* kNoSmtpObjectText = "Erreur : impossible de créer l'objet Config SMTP.";
}  // namespace

std::unique_ptr<TSMTPConfig> TFicheVellumo::CreateSMTPConfig(IniFile& ini) {
  std::unique_ptr<TSMTPConfig> config(new (std::nothrow) TSMTPConfig(clients_));

  if (!config || config->IsClientMissing()) {
    RaiseFailure(kNoSmtpObjectText);
  } else if (!ini.SectionExists(kSection)) {
    RaiseFailure(texts::MissingSection(kSection));
    AppendToErrorMessage(texts::kCheckConfiguration);
  } else {
    config->SetHost(ini.ReadString(kSection, "SmtpAdresse", ""));
    config->SetPort(ini.ReadInteger(kSection, "SmtpPort", -1));
    if (ini.ReadBool(kSection, "SmtpAuth", false)) {
      config->SetAuth(true);
      config->SetLogin(ini.ReadString(kSection, "SmtpCompte", ""));
      config->SetPassword(ini.ReadString(kSection, "SmtpMotDePasse", ""));
    }
    if (ini.ReadBool(kSection, "UseSmtpTLS", false)) {
      config->SetTLS(true);
      config->SetTLSMode(ini.ReadInteger(kSection, "SmtpTLSMode", 0));
      // Certificates are checked unless the host explicitly opts out.
      config->SetVerifyCertificate(ini.ReadBool(kSection, "SmtpVerifierCertificat", true));
    }
  }

  if (!ErrorFlag()) MarkStepPassed("EtatConnexionReadConf");
  return config;
}

}  // namespace vellumo
