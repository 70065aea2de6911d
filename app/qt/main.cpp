// Process entry: the host's arguments, the display, the application
// object, the real services, start-up.
#include <QApplication>
#include <iostream>
#include <string>
#include <vector>

#include "app/FileSystemServices.h"
#include "app/Startup.h"
#include "app/qt/DisplayAvailable.h"
#include "app/qt/QtApplicationShell.h"
#include "app/qt/UnattendedMode.h"
#include "smtp/curl/CurlSmtpClientFactory.h"
#ifdef VELLUMO_UNATTENDED
#include "app/qt/unattended/UnattendedEnvironment.h"
#endif

namespace {

// The arguments exactly as the host wrote them, the program name left out.
std::vector<std::string> HostArguments(int argc, char* argv[]) {
#ifdef _WIN32
  // Windows: take them from GetCommandLineW, converted to UTF-8 here only,
  // so that a path survives whatever the code page.
#error "the Windows edition reads its arguments from GetCommandLineW"
#else
  // Linux: a path is the argument's bytes; nothing decodes them.
  return std::vector<std::string>(argv + 1, argv + argc);
#endif
}

}  // namespace

int main(int argc, char* argv[]) {
  const std::vector<std::string> arguments = HostArguments(argc, argv);

  if (!vellumo::DisplayAvailable()) return vellumo::StartWithoutDisplay(arguments, std::cerr);

  // Qt sees none of the host's arguments: it would take "-reverse" or
  // "-style fusion" for its own options and remove them.
  int toolkitArgc = 1;
  char* toolkitArgv[] = {argv[0], nullptr};
  QApplication application(toolkitArgc, toolkitArgv);

#ifdef VELLUMO_UNATTENDED
  vellumo::UnattendedMode unattended = vellumo::UnattendedModeFromEnvironment();
#else
  vellumo::UnattendedMode unattended;  // the shipped program obeys no hook
#endif

  vellumo::FileSystemServices system;
  vellumo::CurlSmtpClientFactory clients;
  vellumo::QtApplicationShell shell(system, clients, std::move(unattended));
  vellumo::StartVellumo(shell, arguments);
  return 0;
}
