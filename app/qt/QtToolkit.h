#pragma once
// The toolkit seam on the real dialog and Qt's boxes.
#include <string>

#include "app/Toolkit.h"

class QWidget;

namespace vellumo {

class UserPrompts;
class VellumoDialog;

class QtToolkit : public Toolkit {
 public:
  QtToolkit(VellumoDialog& dialog, UserPrompts& prompts);
  ~QtToolkit() override;

  void SetDialogOuterHeight(int pixels) override;
  // Throws std::invalid_argument for a name the dialog does not have.
  void SetStepMarkVisible(Step step, StepMark mark, bool visible) override;
  void ProcessMessages() override;
  void ProcessMessagesFor(int milliseconds) override;
  void SetStepText(Step step, const std::string& text) override;
  void BringToFront() override;
  void CloseDialog() override;
  void SetCursor(CursorKind cursor) override;
  void ShowMessage(const std::string& text) override;
  DialogAnswer AskYesNo(const std::string& text) override;
  bool SelectDirectory(const std::string& title, std::string& folder) override;
  void ShowException(const std::string& message) override;

 private:
  // Boxes are centred on the dialog once it is on screen.
  QWidget* BoxParent() const;

  VellumoDialog& dialog_;
  UserPrompts& prompts_;
  bool waitCursor_ = false;
};

}  // namespace vellumo
