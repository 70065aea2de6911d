#include "app/Startup.h"

#include <exception>
#include <ostream>

#include "app/ApplicationShell.h"
#include "app/ExceptionText.h"
#include "app/UnitFicheVellumo.h"
#include "app/UserTexts.h"
#include "config/IniFile.h"
#include "config/IniKeys.h"

namespace vellumo {

void StartVellumo(ApplicationShell& shell, const std::vector<std::string>& arguments) {
  try {
    shell.SetMainFormOnTaskBar(true);
    shell.SetTitle(kApplicationTitle);
    TFicheVellumo& fiche = shell.CreateMainForm();
    shell.TrySetStyle(kStyleName);  // a missing style never stops the module

    if (arguments.size() == 1) {
      fiche.SetConfigPath(arguments.front());
      shell.Run();
    } else {
      shell.ShowMessage(texts::kMissingArgument);
    }
  } catch (const std::exception& e) {
    shell.ShowException(e.what());
  } catch (...) {
    shell.ShowException("");
  }
}

int StartWithoutDisplay(const std::vector<std::string>& arguments, std::ostream& err) {
  if (arguments.size() != 1) {
    err << texts::kMissingArgument << '\n';
    return 0;
  }
  err << texts::kNoDisplay << '\n';
  try {
    IniFile(arguments.front()).WriteBool(keys::kFailureSection, keys::kFailureKey, true);
  } catch (const std::exception& e) {
    err << texts::kNoDisplayMarkerNotWritten << '\n' << ExceptionText(e) << '\n';
  }
  return 0;
}

}  // namespace vellumo
