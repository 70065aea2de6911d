// The send procedure: read and build the message, make sure the session is
// up, send, close, and mark the mail group's steps as they pass.
#include "app/ExceptionText.h"
#include "app/Toolkit.h"
#include "app/UnitFicheVellumo.h"
#include "mail/MailMessage.h"
#include "mail/MessageSettings.h"
#include "smtp/TSMTPConfig.h"

namespace vellumo {

namespace {

// The hourglass stays up exactly as long as a message exists, also when an
// exception leaves the procedure.
class HourglassCursor {
 public:
  explicit HourglassCursor(Toolkit& toolkit) : toolkit_(toolkit) {
    toolkit_.SetCursor(CursorKind::Hourglass);
  }
  ~HourglassCursor() { toolkit_.SetCursor(CursorKind::Default); }
  HourglassCursor(const HourglassCursor&) = delete;
  HourglassCursor& operator=(const HourglassCursor&) = delete;

 private:
  Toolkit& toolkit_;
};

}  // namespace

void TFicheVellumo::DeliverMessage(TSMTPConfig& smtp) {
  documentPath_.clear();
  documentFileName_.clear();

  MessageSettings settings;
  if (!ReadMessageSettings(settings) || ErrorFlag()) return;

  HourglassCursor hourglass(toolkit_);
  // Declared after the cursor so that it is destroyed before the cursor
  // returns to the default.
  std::unique_ptr<MailMessage> message = BuildMessage(settings);
  if (ErrorFlag()) return;
  MarkStepPassed(Step::VellumoPreparation);

  // Every failure here counts, including a connection lost during the send:
  // a send is done only when the server accepted the message.
  try {
    if (!smtp.Connected()) {
      smtp.Connect();
      if (!smtp.Connected()) RaiseFailure(texts::kCannotConnect);
    }
    if (smtp.Connected()) MarkStepPassed(Step::VellumoConnexion);
    if (!ErrorFlag()) {
      smtp.Send(*message);
      smtp.Disconnect();
      MarkStepPassed(Step::VellumoResultat);
    }
  } catch (const std::exception& e) {
    RaiseFailure(ExceptionText(e));
  }
}

}  // namespace vellumo
