#pragma once
// The modal prompts of the run and of start-up on Win32: plain message,
// Yes/No question, error box (MessageBoxW) and the folder chooser
// (IFileOpenDialog picking folders). In unattended mode they answer by
// themselves (see Win32UnattendedMode.h).
#include <windows.h>

#include <string>

#include "app/Toolkit.h"
#include "app/win32/Win32UnattendedMode.h"

namespace vellumo {

class Win32Prompts {
 public:
  explicit Win32Prompts(Win32UnattendedMode unattended = Win32UnattendedMode());

  // The boxes' caption: the application's title.
  void SetCaption(const std::string& caption);
  // `owner` may be nullptr; a box with an owner keeps it disabled meanwhile.
  void ShowMessage(HWND owner, const std::string& text);
  DialogAnswer AskYesNo(HWND owner, const std::string& text);
  void ShowError(HWND owner, const std::string& message);
  // Folder chooser without owner, nothing pre-selected; false when the user
  // cancels or no file-system folder was chosen.
  bool SelectDirectory(const std::string& title, std::string& folder);

  Win32UnattendedMode& Unattended() { return unattended_; }

 private:
  int Box(HWND owner, const std::string& text, UINT type);

  Win32UnattendedMode unattended_;
  std::wstring caption_ = L"Vellumo";
};

}  // namespace vellumo
