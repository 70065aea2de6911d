#include "app/UnitFicheVellumo.h"

#include "app/SystemServices.h"
#include "app/Toolkit.h"
#include "smtp/TSMTPConfig.h"

namespace vellumo {

namespace texts {
std::string MissingSection(const std::string& section) {
  return "Erreur : la section " + section + " n'éxiste pas dans le fichier de configuration.";
}
}  // namespace texts

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

void TFicheVellumo::SetOuterHeight(int pixels) { toolkit_.SetDialogOuterHeight(pixels); }

void TFicheVellumo::MarkStepPassed(const std::string& step) {
  toolkit_.SetImageVisible("Img" + step + "Yes", true);
  toolkit_.SetImageVisible("Img" + step + "No", false);
  toolkit_.ProcessMessages();
}

void TFicheVellumo::MarkStepNotPassed(const std::string& step) {
  toolkit_.SetImageVisible("Img" + step + "No", true);
  toolkit_.SetImageVisible("Img" + step + "Yes", false);
}

void TFicheVellumo::RaiseFailure(const std::string& text) {
  errorFlag_ = true;
  errorMessage_ = text;
}

const std::vector<std::string>& TFicheVellumo::AllSteps() {
  static const std::vector<std::string> steps = {
      "EtatConnexionReadConf", "EtatConnexionCheckConf", "EtatConnexionResultat",
      "VellumoReadConf",       "VellumoPreparation",     "VellumoConnexion",
      "VellumoResultat"};
  return steps;
}

}  // namespace vellumo
