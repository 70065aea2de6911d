// Builds the SMTP account from section ConfigMail and marks the connection
// group's first step.
#include <new>

#include "app/UnitFicheVellumo.h"
#include "config/IniDocument.h"
#include "config/IniKeys.h"
#include "smtp/TSMTPConfig.h"

namespace vellumo {

namespace {
constexpr const char* kNoSmtpObjectText = "Erreur : impossible de créer l'objet Config SMTP.";
}  // namespace

std::unique_ptr<TSMTPConfig> TFicheVellumo::CreateSMTPConfig(const IniDocument& ini) {
  std::unique_ptr<TSMTPConfig> config(new (std::nothrow) TSMTPConfig(clients_));

  if (!config || config->IsClientMissing()) {
    RaiseFailure(kNoSmtpObjectText);
  } else if (!ini.SectionExists(keys::kAccount)) {
    RaiseFailure(texts::MissingSection(keys::kAccount));
    AppendToErrorMessage(texts::kCheckConfiguration);
  } else {
    config->SetHost(ini.ReadString(keys::kAccount, keys::kHost, ""));
    config->SetPort(ini.ReadInteger(keys::kAccount, keys::kPort, keys::kPortDefault));
    if (ini.ReadBool(keys::kAccount, keys::kAuth, keys::kAuthDefault)) {
      config->SetAuth(true);
      config->SetLogin(ini.ReadString(keys::kAccount, keys::kLogin, ""));
      config->SetPassword(ini.ReadString(keys::kAccount, keys::kPassword, ""));
    }
    if (ini.ReadBool(keys::kAccount, keys::kUseTls, keys::kUseTlsDefault)) {
      config->SetTLS(true);
      config->SetTLSMode(ini.ReadInteger(keys::kAccount, keys::kTlsMode, keys::kTlsModeDefault));
      // Certificates are checked unless the host explicitly opts out.
      config->SetVerifyCertificate(ini.ReadBool(keys::kAccount, keys::kVerifyCertificate, keys::kVerifyCertificateDefault));
    }
  }

  if (!ErrorFlag()) MarkStepPassed("EtatConnexionReadConf");
  return config;
}

}  // namespace vellumo
