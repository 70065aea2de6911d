// Process entry on Windows: the host's arguments from GetCommandLineW, COM
// for the folder chooser, the real services, start-up.
#include <objbase.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/FileSystemServices.h"
#include "app/Startup.h"
#include "app/win32/Win32ApplicationShell.h"
#include "platform/windows/CommandLine.h"
#include "smtp/curl/CurlSmtpClientFactory.h"
#ifdef VELLUMO_UNATTENDED
#include "app/win32/unattended/UnattendedEnvironment.h"
#endif

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // Counted as Windows counts them, the program name left out.
  const std::vector<std::string> arguments = vellumo::HostArgumentsFromCommandLine();

  // The folder chooser and the marks' descriptions are COM objects.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

#ifdef VELLUMO_UNATTENDED
  vellumo::Win32UnattendedMode unattended = vellumo::UnattendedModeFromEnvironment();
#else
  vellumo::Win32UnattendedMode unattended;  // the shipped program obeys no hook
#endif

  {
    vellumo::FileSystemServices system;
    vellumo::CurlSmtpClientFactory clients;
    vellumo::Win32ApplicationShell shell(instance, system, clients, std::move(unattended));
    vellumo::StartVellumo(shell, arguments);
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return 0;
}
