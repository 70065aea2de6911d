#include "app/win32/Win32Toolkit.h"

#include <windows.h>

#include <stdexcept>

#include "platform/windows/Utf16.h"
#include "app/win32/Win32Dialog.h"
#include "app/win32/Win32Prompts.h"

namespace vellumo {

bool DispatchWaitingMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return false;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return true;
}

Win32Toolkit::Win32Toolkit(Win32Dialog& dialog, Win32Prompts& prompts)
    : dialog_(dialog), prompts_(prompts) {}

Win32Toolkit::~Win32Toolkit() = default;

void Win32Toolkit::SetDialogOuterHeight(int pixels) {
  dialog_.SetClientHeight(pixels - Win32Dialog::kDesignedFrameHeight);
}

void Win32Toolkit::SetStepMarkVisible(Step step, StepMark mark, bool visible) {
  HWND image = dialog_.StepImage(step, mark);
  if (image == nullptr) throw std::logic_error("a step image is missing from the dialog");
  ShowWindow(image, visible ? SW_SHOWNA : SW_HIDE);
}

void Win32Toolkit::ProcessMessages() {
  DispatchWaitingMessages();
  // The run blocks right after this: paint what changed now.
  if (dialog_.IsOpen()) UpdateWindow(dialog_.Handle());
}

void Win32Toolkit::ProcessMessagesFor(int milliseconds) {
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(milliseconds > 0 ? milliseconds : 0);
  for (;;) {
    if (!DispatchWaitingMessages()) return;
    const ULONGLONG now = GetTickCount64();
    if (now >= end) return;
    MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(end - now), QS_ALLINPUT,
                                MWMO_INPUTAVAILABLE);
  }
}

void Win32Toolkit::SetStepText(Step step, const std::string& text) {
  HWND label = dialog_.StepLabel(step);
  if (label == nullptr) throw std::logic_error("a step label is missing from the dialog");
  dialog_.SetLabelText(label, windows::Utf16(text));
}

void Win32Toolkit::BringToFront() {
  if (!dialog_.IsOpen()) return;
  SetForegroundWindow(dialog_.Handle());
  BringWindowToTop(dialog_.Handle());
}

void Win32Toolkit::CloseDialog() {
  prompts_.Unattended().SaveDialogPictureIfAsked(dialog_.Handle());
  // The dialog is the main window: destroying it ends the message loop.
  dialog_.Close();
}

void Win32Toolkit::SetCursor(CursorKind cursor) {
  dialog_.SetWaitCursor(cursor == CursorKind::Hourglass);
}

void Win32Toolkit::ShowMessage(const std::string& text) { prompts_.ShowMessage(BoxOwner(), text); }

DialogAnswer Win32Toolkit::AskYesNo(const std::string& text) {
  return prompts_.AskYesNo(BoxOwner(), text);
}

bool Win32Toolkit::SelectDirectory(const std::string& title, std::string& folder) {
  return prompts_.SelectDirectory(title, folder);
}

void Win32Toolkit::ShowException(const std::string& message) {
  prompts_.ShowError(BoxOwner(), message);
}

HWND Win32Toolkit::BoxOwner() const { return dialog_.IsVisible() ? dialog_.Handle() : nullptr; }

}  // namespace vellumo
