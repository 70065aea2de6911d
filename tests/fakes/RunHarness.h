#pragma once
// A dialog wired to recording fakes and an INI file in a fresh folder.
#include <string>

#include "app/UnitFicheVellumo.h"
#include "fakes/FakeSmtpClient.h"
#include "fakes/FakeSystem.h"
#include "fakes/FakeToolkit.h"
#include "fakes/TempDirectory.h"

namespace vellumo::testing {

struct RunHarness {
  RunHarness() : fiche(toolkit, system, clients) {}

  // Writes the host's file and points the dialog at it.
  std::string WriteIni(const std::string& content) {
    iniPath = dir.Write("commande.ini", content);
    fiche.SetConfigPath(iniPath);
    return iniPath;
  }
  std::string IniBytes() const { return ReadFileBytes(iniPath); }

  TempDirectory dir;
  FakeToolkit toolkit;
  FakeSystem system;
  FakeSmtpClientFactory clients;
  TFicheVellumo fiche;
  std::string iniPath;
};

// A usable account section: plain SMTP on a local port.
inline const char* kPlainAccount =
    "[ConfigMail]\nSmtpAdresse=smtp.exemple.fr\nSmtpPort=25\n";

}  // namespace vellumo::testing
