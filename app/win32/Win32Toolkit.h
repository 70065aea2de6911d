#pragma once
// The toolkit seam on the Win32 dialog and the Win32 boxes.
#include <windows.h>

#include <string>

#include "app/Toolkit.h"

namespace vellumo {

class Win32Dialog;
class Win32Prompts;

class Win32Toolkit : public Toolkit {
 public:
  Win32Toolkit(Win32Dialog& dialog, Win32Prompts& prompts);
  ~Win32Toolkit() override;

  void SetDialogOuterHeight(int pixels) override;
  // Throws std::logic_error for a step the dialog has no window for.
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
  // Boxes belong to the dialog once it is on screen.
  HWND BoxOwner() const;

  Win32Dialog& dialog_;
  Win32Prompts& prompts_;
};

// Handles every waiting message, painting included, then returns. A quit
// message is put back for the main loop; returns false when one was seen.
bool DispatchWaitingMessages();

}  // namespace vellumo
