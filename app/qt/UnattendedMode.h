#pragma once
// Unattended mode, for tests and demos only: every box is shown for about a
// second without blocking, then answers by itself; boxes and the dialog can
// be saved as pictures. A default one is inactive, as in the shipped
// program; only the unattended program fills one from its environment
// (unattended/UnattendedEnvironment.h).
#include <QString>
#include <optional>
#include <string>

#include "app/Toolkit.h"

class QWidget;

namespace vellumo {

class UnattendedMode {
 public:
  UnattendedMode() = default;  // inactive
  // `autoAnswer`: "no", "yes" or "yes:FOLDER" (the folder chooser returns
  // FOLDER, or cancels without one); empty leaves every box waiting for the
  // user. `screenshotDir`: each box shown is saved there as box-1.png,
  // box-2.png, ... `dialogPicture`: a PNG path the dialog is saved to just
  // before it closes, marks in their final state.
  UnattendedMode(const QString& autoAnswer, const QString& screenshotDir,
                 const QString& dialogPicture = QString());

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

  // Saves `dialog` to the dialog picture's path when one was given.
  void SaveDialogPictureIfAsked(QWidget& dialog) const;

 private:
  bool active_ = false;
  DialogAnswer answer_ = DialogAnswer::No;
  std::string folder_;
  QString screenshotDir_;
  QString dialogPicture_;
  int displayMilliseconds_ = 1000;
  int boxesShown_ = 0;
};

}  // namespace vellumo
