#pragma once
// Unattended mode, for tests and demos only: every message box is shown,
// logged and answered by itself after a short while; the folder chooser
// returns a given folder; the dialog is saved as a picture before it
// closes. A default one is inactive, as in the shipped program; only the
// unattended program fills one from its environment
// (unattended/UnattendedEnvironment.h).
#include <windows.h>

#include <string>

#include "app/Toolkit.h"

namespace vellumo {

class Win32UnattendedMode {
 public:
  Win32UnattendedMode() = default;  // inactive
  // `autoAnswer`: "no", "yes" or "yes:FOLDER" (the folder chooser returns
  // FOLDER, or cancels without one); empty leaves every box to the user.
  // `boxLog`: each box shown is appended there, UTF-8, as its caption, a
  // 0x1F, its text and a 0x1E. `dialogPicture`: a BMP file the dialog,
  // frame included, is saved to just before it closes. `closeAfterMs`: a
  // close is asked that long after the dialog shows, as a user's click on
  // the close button would; 0 for none.
  Win32UnattendedMode(const std::string& autoAnswer, std::wstring boxLog,
                      std::wstring dialogPicture, unsigned closeAfterMs = 0);

  bool Active() const { return active_; }
  DialogAnswer Answer() const { return answer_; }
  const std::string& Folder() const { return folder_; }

  // Shows MessageBoxW(owner, text, caption, type), logs it and answers it
  // after about half a second.
  int ShowBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type);
  void SaveDialogPictureIfAsked(HWND dialog) const;
  // Arms the close request, when one was asked, for the dialog just shown.
  void ScheduleCloseIfAsked(HWND dialog) const;

 private:
  static void CALLBACK AnswerBox(HWND, UINT, UINT_PTR timer, DWORD);

  bool active_ = false;
  DialogAnswer answer_ = DialogAnswer::No;
  std::string folder_;
  std::wstring boxLog_;
  std::wstring dialogPicture_;
  unsigned closeAfterMs_ = 0;
};

}  // namespace vellumo
