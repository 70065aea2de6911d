#pragma once
// The application object as start-up sees it: title, main window, style,
// message loop and the two boxes start-up may show.
#include <string>

namespace vellumo {

class TFicheVellumo;

class ApplicationShell {
 public:
  virtual ~ApplicationShell() = default;

  virtual void SetMainFormOnTaskBar(bool value) = 0;
  virtual void SetTitle(const std::string& title) = 0;
  // Creates the dialog as the main window, not shown yet.
  virtual TFicheVellumo& CreateMainForm() = 0;
  // Applies a named visual style; the toolkit shows its own error box when
  // the style cannot be applied. Returns whether it was applied.
  virtual bool TrySetStyle(const std::string& styleName) = 0;
  // Runs the message loop until the main window closes.
  virtual void Run() = 0;
  virtual void ShowMessage(const std::string& text) = 0;
  virtual void ShowException(const std::string& message) = 0;
};

}  // namespace vellumo
