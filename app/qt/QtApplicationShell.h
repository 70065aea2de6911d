#pragma once
// The application object on Qt: owns the dialog, its toolkit and the run
// state, applies the style, runs the event loop.
#include <QString>
#include <memory>
#include <string>

#include "app/ApplicationShell.h"
#include "app/qt/UserPrompts.h"

namespace vellumo {

class QtToolkit;
class SmtpClientFactory;
class SystemServices;
class VellumoDialog;

class QtApplicationShell : public ApplicationShell {
 public:
  // A QApplication must exist.
  QtApplicationShell(SystemServices& system, SmtpClientFactory& clients,
                     UnattendedMode unattended = UnattendedMode());
  ~QtApplicationShell() override;

  void SetMainFormOnTaskBar(bool value) override;
  void SetTitle(const std::string& title) override;
  TFicheVellumo& CreateMainForm() override;
  bool TrySetStyle(const std::string& styleName) override;
  void Run() override;
  void ShowMessage(const std::string& text) override;
  void ShowException(const std::string& message) override;

  // nullptr until CreateMainForm.
  VellumoDialog* Dialog() { return dialog_.get(); }
  QtToolkit* Toolkit() { return toolkit_.get(); }

  // Where a named style lives among the resources.
  static QString StyleResource(const std::string& styleName);

 private:
  SystemServices& system_;
  SmtpClientFactory& clients_;
  UserPrompts prompts_;
  // Destroyed in reverse: the run state first, the dialog last.
  std::unique_ptr<VellumoDialog> dialog_;
  std::unique_ptr<QtToolkit> toolkit_;
  std::unique_ptr<TFicheVellumo> fiche_;
};

}  // namespace vellumo
