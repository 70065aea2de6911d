// The send procedure: read the host's file, compose the message, make sure
// the session is up, send, close, and mark the mail group's steps as they
// pass.
#include <ctime>

#include "app/ExceptionText.h"
#include "app/SendProgressLine.h"
#include "app/Toolkit.h"
#include "app/UnitFicheVellumo.h"
#include "app/UserTexts.h"
#include "config/IniDocument.h"
#include "config/IniFile.h"
#include "config/IniKeys.h"
#include "mail/ComposeMessage.h"
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

std::unique_ptr<IniDocument> TFicheVellumo::ReadMessageDocument() {
  // The file is read once, as it is now.
  auto ini = std::make_unique<IniDocument>(ReadIniDocument(GetConfigPath(), Files()));
  if (!ini->SectionExists(keys::kEmail)) {
    RaiseFailure(texts::MissingSection(keys::kEmail));
    AppendToErrorMessage(texts::kCheckConfiguration);
    return nullptr;
  }
  // Kept before anything can fail, so that the manual save finds them.
  documentPath_ = ini->ReadString(keys::kEmail, keys::kDocumentPath, "");
  documentFileName_ = ini->ReadString(keys::kEmail, keys::kDocumentName, "");
  MarkStepPassed(Step::VellumoReadConf);
  return ini;
}

void TFicheVellumo::DeliverMessage(TSMTPConfig& smtp) {
  documentPath_.clear();
  documentFileName_.clear();

  const std::unique_ptr<IniDocument> ini = ReadMessageDocument();
  if (!ini || ErrorFlag()) return;

  HourglassCursor hourglass(toolkit_);
  // A message that cannot be composed leaves as a MailError naming the
  // host's text; the run reports it.
  const OutgoingMessage message = ComposeMessage(*ini, std::time(nullptr));
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
      sendProgress_ = std::make_unique<SendProgressLine>(toolkit_, SendProgressLine::Clock::now());
      smtp.Send(message);
      sendProgress_.reset();
      smtp.Disconnect();
      MarkStepPassed(Step::VellumoResultat);
    }
  } catch (const std::exception& e) {
    sendProgress_.reset();
    NoteIfCancelled(e);
    RaiseFailure(ExceptionText(e));
  }
}

}  // namespace vellumo
