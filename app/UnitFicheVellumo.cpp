#include "app/UnitFicheVellumo.h"

#include "app/SendProgressLine.h"
#include "app/SystemServices.h"
#include "app/Toolkit.h"
#include "smtp/SmtpFailure.h"
#include "smtp/TSMTPConfig.h"

namespace vellumo {

TFicheVellumo::TFicheVellumo(Toolkit& toolkit, SystemServices& system, SmtpClientFactory& clients)
    : toolkit_(toolkit), system_(system), clients_(clients) {}

TFicheVellumo::~TFicheVellumo() = default;

FileSystem& TFicheVellumo::Files() const { return system_.Files(); }

void TFicheVellumo::OnActivated() {
  // Message boxes and event pumping re-activate the window: one job only.
  if (runStarted_) return;
  runStarted_ = true;
  FormActivate();
}

bool TFicheVellumo::OnCloseRequested() {
  if (runEnded_) return true;
  if (!jobEnded_) closeAsked_ = true;
  return false;
}

bool TFicheVellumo::OnWaiting() {
  toolkit_.ProcessMessages();
  return closeAsked_;
}

void TFicheVellumo::NoteIfCancelled(const std::exception& e) {
  const auto* failure = dynamic_cast<const SmtpFailure*>(&e);
  if (failure != nullptr && failure->Kind() == SmtpFailureKind::Cancelled) cancelled_ = true;
}

void TFicheVellumo::OnMessageProgress(std::uint64_t sent, std::uint64_t total) {
  if (sendProgress_) sendProgress_->Update(sent, total, SendProgressLine::Clock::now());
}

void TFicheVellumo::SetOuterHeight(int pixels) { toolkit_.SetDialogOuterHeight(pixels); }

void TFicheVellumo::MarkStepPassed(Step step) {
  toolkit_.SetStepMarkVisible(step, StepMark::Passed, true);
  toolkit_.SetStepMarkVisible(step, StepMark::NotPassed, false);
  toolkit_.ProcessMessages();
}

void TFicheVellumo::RaiseFailure(const std::string& text) {
  errorFlag_ = true;
  errorMessage_ = text;
}

}  // namespace vellumo
