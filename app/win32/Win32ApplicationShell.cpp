#include "app/win32/Win32ApplicationShell.h"

#include <utility>

#include "app/UnitFicheVellumo.h"
#include "app/win32/DialogColours.h"
#include "app/win32/Win32Dialog.h"
#include "app/win32/Win32Toolkit.h"

namespace vellumo {

Win32ApplicationShell::Win32ApplicationShell(HINSTANCE instance, SystemServices& system,
                                             SmtpClientFactory& clients,
                                             Win32UnattendedMode unattended)
    : instance_(instance), system_(system), clients_(clients), prompts_(std::move(unattended)) {}

Win32ApplicationShell::~Win32ApplicationShell() = default;

void Win32ApplicationShell::SetMainFormOnTaskBar(bool /*value*/) {
  // The dialog is an owner-less application window: it has the task-bar
  // button already.
}

void Win32ApplicationShell::SetTitle(const std::string& title) { prompts_.SetCaption(title); }

TFicheVellumo& Win32ApplicationShell::CreateMainForm() {
  dialog_ = std::make_unique<Win32Dialog>(instance_);
  toolkit_ = std::make_unique<Win32Toolkit>(*dialog_, prompts_);
  fiche_ = std::make_unique<TFicheVellumo>(*toolkit_, system_, clients_);
  TFicheVellumo* fiche = fiche_.get();
  dialog_->SetActivationHandler([fiche] { fiche->OnActivated(); });
  dialog_->SetCloseHandler([fiche] { return fiche->OnCloseRequested(); });
  return *fiche_;
}

bool Win32ApplicationShell::TrySetStyle(const std::string& styleName) {
  const auto colours = StyleColours(styleName);
  if (!colours) {
    prompts_.ShowError(nullptr, "Impossible d'appliquer le style « " + styleName +
                                    " » : style inconnu.");
    return false;
  }
  if (dialog_) dialog_->SetColours(*colours);
  return true;
}

void Win32ApplicationShell::Run() {
  if (!dialog_ || !dialog_->IsOpen()) return;
  dialog_->Show();
  prompts_.Unattended().ScheduleCloseIfAsked(dialog_->Handle());
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void Win32ApplicationShell::ShowMessage(const std::string& text) {
  prompts_.ShowMessage(nullptr, text);
}

void Win32ApplicationShell::ShowException(const std::string& message) {
  prompts_.ShowError(nullptr, message);
}

}  // namespace vellumo
