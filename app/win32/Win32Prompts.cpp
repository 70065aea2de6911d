#include "app/win32/Win32Prompts.h"

#include <shobjidl.h>

#include <utility>

#include "platform/windows/Utf16.h"

namespace vellumo {

Win32Prompts::Win32Prompts(Win32UnattendedMode unattended) : unattended_(std::move(unattended)) {}

void Win32Prompts::SetCaption(const std::string& caption) { caption_ = windows::Utf16(caption); }

int Win32Prompts::Box(HWND owner, const std::string& text, UINT type) {
  // MessageBoxW shows plain text: server replies and INI values read as
  // written. A box of its own, before the dialog shows, comes to the front:
  // the host started us and may still hold the foreground.
  if (owner == nullptr) type |= MB_SETFOREGROUND;
  if (unattended_.Active()) return unattended_.ShowBox(owner, windows::Utf16(text), caption_, type);
  return MessageBoxW(owner, windows::Utf16(text).c_str(), caption_.c_str(), type);
}

void Win32Prompts::ShowMessage(HWND owner, const std::string& text) { Box(owner, text, MB_OK); }

DialogAnswer Win32Prompts::AskYesNo(HWND owner, const std::string& text) {
  return Box(owner, text, MB_YESNO | MB_ICONINFORMATION) == IDYES ? DialogAnswer::Yes
                                                                   : DialogAnswer::No;
}

void Win32Prompts::ShowError(HWND owner, const std::string& message) {
  Box(owner, message, MB_OK | MB_ICONERROR);
}

bool Win32Prompts::SelectDirectory(const std::string& title, std::string& folder) {
  if (unattended_.Active()) {
    if (unattended_.Folder().empty()) return false;
    folder = unattended_.Folder();
    return true;
  }
  IFileOpenDialog* dialog = nullptr;
  if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IFileOpenDialog, reinterpret_cast<void**>(&dialog)))) {
    return false;
  }
  bool chosen = false;
  FILEOPENDIALOGOPTIONS options = 0;
  dialog->GetOptions(&options);
  dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
  dialog->SetTitle(windows::Utf16(title).c_str());
  IShellItem* item = nullptr;
  if (SUCCEEDED(dialog->Show(nullptr)) && SUCCEEDED(dialog->GetResult(&item))) {
    PWSTR path = nullptr;
    if (SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &path))) {
      folder = windows::Utf8(path);
      chosen = true;
      CoTaskMemFree(path);
    }
    item->Release();
  }
  dialog->Release();
  return chosen;
}

}  // namespace vellumo
