#include "app/Startup.h"

#include <exception>

#include "app/ApplicationShell.h"
#include "app/UnitFicheVellumo.h"

namespace vellumo {

int StartVellumo(ApplicationShell& shell, const std::vector<std::string>& arguments) {
  try {
    shell.SetMainFormOnTaskBar(true);
    shell.SetTitle(kApplicationTitle);
    TFicheVellumo& fiche = shell.CreateMainForm();
    shell.TrySetStyle(kStyleName);  // a missing style never stops the module

    if (arguments.size() == 1) {
      fiche.SetConfigPath(arguments.front());
      shell.Run();
    } else {
      shell.ShowMessage(kMissingArgumentText);
    }
  } catch (const std::exception& e) {
    shell.ShowException(e.what());
  } catch (...) {
    shell.ShowException("");
  }
  return 0;
}

}  // namespace vellumo
