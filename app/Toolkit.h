#pragma once
// What the run needs from the GUI toolkit. The run logic only talks to this
// seam; the Qt side lives in app/qt/, the recording fake in tests/fakes/.
#include <string>

#include "app/Step.h"

namespace vellumo {

enum class CursorKind : int {
  Default = 0,
  Hourglass = -11,
};

// Answers of the Yes/No question, with the toolkit's numeric values.
enum class DialogAnswer : int {
  Yes = 6,
  No = 7,
};

class Toolkit {
 public:
  virtual ~Toolkit() = default;

  // Outer height of the dialog, frame included as designed (the client
  // area is this minus the designed frame of 28 pixels).
  virtual void SetDialogOuterHeight(int pixels) = 0;
  // Shows or hides one of a step's two marks.
  virtual void SetStepMarkVisible(Step step, StepMark mark, bool visible) = 0;
  // Handles waiting window events, painting included.
  virtual void ProcessMessages() = 0;
  // Handles window events as they come for `milliseconds`, then returns: a
  // pause during which the dialog goes on answering.
  virtual void ProcessMessagesFor(int milliseconds) = 0;
  // Replaces the text of a step's label; a long send shows its progress
  // there.
  virtual void SetStepText(Step step, const std::string& text) = 0;
  virtual void BringToFront() = 0;
  // Closes the dialog; it is the main window, so this ends the process.
  virtual void CloseDialog() = 0;
  virtual void SetCursor(CursorKind cursor) = 0;

  // Plain message box; returns when dismissed.
  virtual void ShowMessage(const std::string& text) = 0;
  // Information box with the buttons Yes and No.
  virtual DialogAnswer AskYesNo(const std::string& text) = 0;
  // Folder chooser over the whole name space, no folder pre-selected.
  // Returns true when the user confirmed; the folder is then in `folder`.
  virtual bool SelectDirectory(const std::string& title, std::string& folder) = 0;
  // The toolkit's standard error box for an exception's message.
  virtual void ShowException(const std::string& message) = 0;
};

}  // namespace vellumo
