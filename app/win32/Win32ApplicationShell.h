#pragma once
// The application object on Win32: owns the dialog, its toolkit and the run
// state, applies the style's colours, runs the message loop.
#include <windows.h>

#include <memory>
#include <string>

#include "app/ApplicationShell.h"
#include "app/win32/Win32Prompts.h"

namespace vellumo {

class SmtpClientFactory;
class SystemServices;
class Win32Dialog;
class Win32Toolkit;

class Win32ApplicationShell : public ApplicationShell {
 public:
  Win32ApplicationShell(HINSTANCE instance, SystemServices& system, SmtpClientFactory& clients,
                        Win32UnattendedMode unattended = Win32UnattendedMode());
  ~Win32ApplicationShell() override;

  void SetMainFormOnTaskBar(bool value) override;
  void SetTitle(const std::string& title) override;
  TFicheVellumo& CreateMainForm() override;
  bool TrySetStyle(const std::string& styleName) override;
  void Run() override;
  void ShowMessage(const std::string& text) override;
  void ShowException(const std::string& message) override;

  // nullptr until CreateMainForm.
  Win32Dialog* Dialog() { return dialog_.get(); }

 private:
  HINSTANCE instance_;
  SystemServices& system_;
  SmtpClientFactory& clients_;
  Win32Prompts prompts_;
  // Destroyed in reverse: the run state first, the dialog last.
  std::unique_ptr<Win32Dialog> dialog_;
  std::unique_ptr<Win32Toolkit> toolkit_;
  std::unique_ptr<TFicheVellumo> fiche_;
};

}  // namespace vellumo
