#pragma once
// The whole run logic wired to the real libcurl client, with recording
// fakes only for the screen and the pause.
#include <string>

#include "app/UnitFicheVellumo.h"
#include "fakes/FakeSystem.h"
#include "fakes/FakeToolkit.h"
#include "fakes/TempDirectory.h"
#include "smtp/curl/CurlSmtpClientFactory.h"

namespace vellumo::testing {

struct RealRun {
  explicit RealRun(const CurlSmtpOptions& options)
      : clients(options), fiche(toolkit, system, clients) {}

  std::string WriteIni(const std::string& content) {
    iniPath = dir.Write("commande.ini", content);
    fiche.SetConfigPath(iniPath);
    return iniPath;
  }
  std::string IniBytes() const { return ReadFileBytes(iniPath); }
  bool Passed(const std::string& step) const { return toolkit.IsVisible("Img" + step + "Yes"); }

  TempDirectory dir;
  FakeToolkit toolkit;
  FakeSystem system;
  CurlSmtpClientFactory clients;
  TFicheVellumo fiche;
  std::string iniPath;
};

}  // namespace vellumo::testing
