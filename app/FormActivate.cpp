// The run controller: read the run mode, reset the marks, dispatch to the
// connection check and the send procedure, then report and close.
#include <memory>

#include "app/ExceptionText.h"
#include "app/SystemServices.h"
#include "app/Toolkit.h"
#include "app/UnitFicheVellumo.h"
#include "app/UserTexts.h"
#include "config/IniFile.h"
#include "config/IniDocument.h"
#include "config/IniKeys.h"
#include "config/ProvisionalMarker.h"
#include "smtp/TSMTPConfig.h"

namespace vellumo {

namespace {

constexpr int kConnectionGroupHeight = 141;
constexpr int kBothGroupsHeight = 253;
constexpr int kFinalStatePauseMs = 1000;

bool RunsTheNetwork(std::int32_t mode) { return mode == 1 || mode == 2 || mode == 3; }

}  // namespace

void TFicheVellumo::FormActivate() {
  // 1. Reading. The reader stays open until the outcome is reported.
  std::unique_ptr<IniFile> ini;
  try {
    ini = std::make_unique<IniFile>(GetConfigPath(), Files());
    if (const IniDocument document = ReadIniDocument(GetConfigPath(), Files());
        document.SectionExists(keys::kEmail)) {
      SetRunMode(document.ReadInteger(keys::kEmail, keys::kRunMode, keys::kRunModeDefault));
    } else {
      RaiseFailure(texts::MissingSection(keys::kEmail));
      AppendToErrorMessage(texts::kCheckConfiguration);
    }
  } catch (const std::exception& e) {
    RaiseFailure(e.what());
  }

  // 2. The job itself.
  const bool jobRuns = !ErrorFlag();
  std::unique_ptr<ProvisionalMarker> provisional;
  if (jobRuns) {
    SetOuterHeight(kConnectionGroupHeight);
    for (Step step : kAllSteps) toolkit_.SetStepMarkVisible(step, StepMark::NotPassed, true);
    for (Step step : kAllSteps) toolkit_.SetStepMarkVisible(step, StepMark::Passed, false);

    // Until the run ends, the file says it failed: a run killed midway must
    // not read as a success. A file that cannot take it runs as it is.
    if (RunsTheNetwork(GetRunMode())) {
      try {
        provisional = ProvisionalMarker::Place(Files(), GetConfigPath(), keys::kFailureSection,
                                                keys::kFailureKey);
      } catch (const std::exception&) {
      }
    }

    // Whatever escapes the check or the send must still end in a reported
    // failure with its marker: the host relies on the marker alone.
    try {
      const std::int32_t mode = GetRunMode();
      if (mode == 1 || mode == 3) {
        CheckSMTPConnection(false);
      } else if (mode == 2) {
        SetOuterHeight(kBothGroupsHeight);
        std::unique_ptr<TSMTPConfig> smtp = CheckSMTPConnection(true);
        if (!ErrorFlag() && smtp) DeliverMessage(*smtp);
      }
    } catch (const std::exception& e) {
      NoteIfCancelled(e);
      RaiseFailure(ExceptionText(e));
    } catch (...) {
      RaiseFailure(texts::kUnexpectedFailure);
    }
  }

  // A close that stopped the network work is why the job failed, whatever
  // the interrupted step reported.
  if (cancelled_)
    RaiseFailure(GetRunMode() == 2 ? texts::kSendCancelled : texts::kConnectionTestCancelled);

  // 3. Leave the final marks on screen for a moment; from here on a close
  // changes nothing.
  jobEnded_ = true;
  toolkit_.ProcessMessages();
  toolkit_.BringToFront();
  toolkit_.ProcessMessagesFor(kFinalStatePauseMs);

  // 4. Outcome.
  ReportOutcome(ini.get(), provisional.get(), jobRuns);

  // 5. and 6.
  ini.reset();
  runEnded_ = true;
  toolkit_.CloseDialog();
}

void TFicheVellumo::ReportOutcome(IniFile* ini, const ProvisionalMarker* provisional, bool jobRan) {
  if (!ErrorFlag()) {
    if (provisional) {
      try {
        provisional->Remove();
      } catch (const std::exception& e) {
        toolkit_.ShowMessage(texts::MarkerNotRemoved(GetRunMode()) + ExceptionText(e));
      }
    }
    if (GetRunMode() == 3) toolkit_.ShowMessage(texts::kConnectionSucceeded);
    return;
  }

  // The marker goes first; if it cannot be written the user still reads the
  // run's own failure, then why the host will not see it.
  std::string markerFailure;
  if (ini) {
    try {
      ini->WriteBool(keys::kFailureSection, keys::kFailureKey, true);
    } catch (const std::exception& e) {
      markerFailure = ExceptionText(e);
    }
  }
  toolkit_.ShowMessage(ErrorMessage());
  if (!markerFailure.empty())
    toolkit_.ShowMessage(texts::MarkerNotWritten(jobRan && RunsTheNetwork(GetRunMode()), GetRunMode()) + markerFailure);

  if (GetRunMode() == 2) {
    try {
      OfferManualSave();
    } catch (const std::exception& e) {
      toolkit_.ShowMessage(ExceptionText(e));
    }
  }
}

}  // namespace vellumo
