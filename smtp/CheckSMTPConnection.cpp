// The connection check: read the account, judge it, connect once.
#include <new>

#include "app/Toolkit.h"
#include "app/UnitFicheVellumo.h"
#include "config/IniFile.h"
#include "smtp/TSMTPConfig.h"

namespace vellumo {

namespace {
constexpr const char* kSection = "ConfigMail";
constexpr const char* kNoObjectsText = "Erreur : impossible de créer les objets INI et/ou SMTP.";
constexpr const char* kUnusableAccountText =
    "Erreur : la configuration actuelle ne permet pas de se connecter à votre SMTP.";
}  // namespace

std::unique_ptr<TSMTPConfig> TFicheVellumo::CheckSMTPConnection(bool keepConnection) {
  std::unique_ptr<TSMTPConfig> result;
  {
    // The check's own reader, released on every way out of this block.
    std::unique_ptr<IniFile> ini(new (std::nothrow) IniFile(GetConfigPath()));
    if (!ini) {
      RaiseFailure(kNoObjectsText);
    } else if (!ini->SectionExists(kSection)) {
      RaiseFailure(texts::MissingSection(kSection));
      AppendToErrorMessage(texts::kCheckConfiguration);
    } else {
      toolkit_.ProcessMessages();
      result = CreateSMTPConfig(*ini);
      if (!ErrorFlag() && result) {
        MarkStepPassed("EtatConnexionReadConf");
        if (!result->IsValid()) {
          RaiseFailure(kUnusableAccountText);
          AppendToErrorMessage(texts::kCheckConfiguration);
        } else {
          MarkStepPassed("EtatConnexionCheckConf");
          try {
            bool connected = result->Connected();
            if (!connected) {
              result->Connect();
              connected = result->Connected();
            }
            if (connected)
              MarkStepPassed("EtatConnexionResultat");
            else
              RaiseFailure(texts::kCannotConnect);
          } catch (const std::exception& e) {
            RaiseFailure(e.what());
          }
        }
        if (!keepConnection) {
          result->Disconnect();  // an exception here goes to the caller
          result.reset();
        }
      }
    }
  }
  toolkit_.ProcessMessages();
  return result;
}

}  // namespace vellumo
