#pragma once
// The dialog's steps, each shown passed (a check) or not passed (a cross).
// The names are those of the form's components; each toolkit side maps a
// step to its own widgets.
#include <array>
#include <cstdint>

namespace vellumo {

enum class Step : std::uint8_t {
  // The connection group.
  EtatConnexionReadConf,
  EtatConnexionCheckConf,
  EtatConnexionResultat,
  // The mail group.
  VellumoReadConf,
  VellumoPreparation,
  VellumoConnexion,
  VellumoResultat,
};

enum class StepMark : std::uint8_t { Passed, NotPassed };

// The connection group's three steps and the mail group's four, in the
// order the run controller resets them.
inline constexpr std::array<Step, 7> kAllSteps = {
    Step::EtatConnexionReadConf, Step::EtatConnexionCheckConf, Step::EtatConnexionResultat,
    Step::VellumoReadConf,       Step::VellumoPreparation,     Step::VellumoConnexion,
    Step::VellumoResultat};

}  // namespace vellumo
