// The connection check: read the account, judge it, connect once.

#include "app/SmtpFailureText.h"
#include "app/Toolkit.h"
#include "app/UnitFicheVellumo.h"
#include "app/UserTexts.h"
#include "config/IniDocument.h"
#include "config/IniFile.h"
#include "config/IniKeys.h"
#include "smtp/SmtpFailure.h"
#include "smtp/TSMTPConfig.h"

namespace vellumo {

std::unique_ptr<TSMTPConfig> TFicheVellumo::CheckSMTPConnection(bool keepConnection) {
  std::unique_ptr<TSMTPConfig> result;
  {
    // The check reads the file once, as it is now.
    const IniDocument ini = ReadIniDocument(GetConfigPath(), Files());
    if (!ini.SectionExists(keys::kAccount)) {
      RaiseFailure(texts::MissingSection(keys::kAccount));
      AppendToErrorMessage(texts::kCheckConfiguration);
    } else {
      toolkit_.ProcessMessages();
      result = CreateSMTPConfig(ini);
      if (!ErrorFlag() && result) {
        MarkStepPassed(Step::EtatConnexionReadConf);
        if (!result->IsValid()) {
          RaiseFailure(texts::kUnusableAccount);
          AppendToErrorMessage(texts::kCheckConfiguration);
        } else {
          MarkStepPassed(Step::EtatConnexionCheckConf);
          try {
            bool connected = result->Connected();
            if (!connected) {
              result->Connect();
              connected = result->Connected();
            }
            if (connected)
              MarkStepPassed(Step::EtatConnexionResultat);
            else
              RaiseFailure(texts::kCannotConnect);
          } catch (const SmtpFailure& failure) {
            NoteIfCancelled(failure);
            RaiseFailure(SmtpFailureText(failure));
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
