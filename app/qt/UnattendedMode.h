#pragma once
// Unattended mode, for scripts and demos only. Environment variables:
//   VELLUMO_AUTO_ANSWER     "no", "yes" or "yes:FOLDER": every box is shown
//                           for about a second without blocking, then
//                           answers by itself (the folder chooser returns
//                           FOLDER, or cancels without one).
//   VELLUMO_SCREENSHOT_DIR  with the above: each box is saved there as
//                           box-1.png, box-2.png, ...
//   VELLUMO_SCREENSHOT      a PNG path: the dialog is saved there just
//                           before it closes, marks in their final state.
// Without VELLUMO_AUTO_ANSWER every box waits for the user as usual.
#include <QString>
#include <optional>
#include <string>

#include "app/Toolkit.h"

class QWidget;

namespace vellumo {

class UnattendedMode {
 public:
  UnattendedMode() = default;  // inactive
  UnattendedMode(const QString& autoAnswer, const QString& screenshotDir);
  static UnattendedMode FromEnvironment();

  bool Active() const { return active_; }
  DialogAnswer Answer() const { return answer_; }
  // The folder the chooser returns; empty when it cancels.
  const std::string& Folder() const { return folder_; }
  // How long each box stays on screen.
  int DisplayMilliseconds() const { return displayMilliseconds_; }
  void SetDisplayMilliseconds(int milliseconds) { displayMilliseconds_ = milliseconds; }

  // Shows `box` without blocking input, waits DisplayMilliseconds while
  // handling events, saves its picture when a directory was given, hides it.
  void ShowBriefly(QWidget& box);

  // Saves `dialog` to VELLUMO_SCREENSHOT when that is set.
  static void SaveDialogPictureIfAsked(QWidget& dialog);

 private:
  bool active_ = false;
  DialogAnswer answer_ = DialogAnswer::No;
  std::string folder_;
  QString screenshotDir_;
  int displayMilliseconds_ = 1000;
  int boxesShown_ = 0;
};

}  // namespace vellumo
