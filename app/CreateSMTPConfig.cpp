// Builds the SMTP account from section ConfigMail and marks the connection
// group's first step.
#include "app/UnitFicheVellumo.h"
#include "app/UserTexts.h"
#include "config/IniDocument.h"
#include "config/IniKeys.h"
#include "smtp/SmtpAccount.h"
#include "smtp/TSMTPConfig.h"

namespace vellumo {

std::unique_ptr<TSMTPConfig> TFicheVellumo::CreateSMTPConfig(const IniDocument& ini) {
  auto config = std::make_unique<TSMTPConfig>(clients_, AccountFromIni(ini));
  config->SetWaitObserver(this);

  if (config->IsClientMissing()) {
    RaiseFailure(texts::kNoSmtpObject);
  } else if (!ini.SectionExists(keys::kAccount)) {
    RaiseFailure(texts::MissingSection(keys::kAccount));
    AppendToErrorMessage(texts::kCheckConfiguration);
  }

  if (!ErrorFlag()) MarkStepPassed(Step::EtatConnexionReadConf);
  return config;
}

}  // namespace vellumo
