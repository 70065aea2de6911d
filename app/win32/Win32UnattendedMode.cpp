#include "app/win32/Win32UnattendedMode.h"

#include <utility>
#include <vector>

#include "platform/windows/Utf16.h"

namespace vellumo {

namespace {

// The box being answered and the answer it gets; one box at a time.
struct PendingBox {
  const Win32UnattendedMode* mode = nullptr;
  int answer = IDOK;
  std::wstring log;
};
PendingBox pending;
// The dialog a close is asked for.
HWND closing = nullptr;

void CALLBACK AskClose(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  if (IsWindow(closing)) PostMessageW(closing, WM_CLOSE, 0, 0);
}

void AppendToFile(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

BOOL CALLBACK FindBox(HWND window, LPARAM found) {
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  if (IsWindowVisible(window) && std::wstring(className) == L"#32770") {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

Win32UnattendedMode::Win32UnattendedMode(const std::string& autoAnswer, std::wstring boxLog,
                                         std::wstring dialogPicture, unsigned closeAfterMs)
    : boxLog_(std::move(boxLog)),
      dialogPicture_(std::move(dialogPicture)),
      closeAfterMs_(closeAfterMs) {
  if (autoAnswer.empty()) return;
  active_ = true;
  const std::size_t colon = autoAnswer.find(':');
  const std::string word = autoAnswer.substr(0, colon);
  answer_ = word == "yes" ? DialogAnswer::Yes : DialogAnswer::No;
  if (colon != std::string::npos) folder_ = autoAnswer.substr(colon + 1);
}

int Win32UnattendedMode::ShowBox(HWND owner, const std::wstring& text, const std::wstring& caption,
                                 UINT type) {
  pending.mode = this;
  pending.answer = (type & MB_TYPEMASK) == MB_YESNO
                       ? (answer_ == DialogAnswer::Yes ? IDYES : IDNO)
                       : IDOK;
  pending.log = boxLog_;
  // A thread timer: MessageBoxW's own loop dispatches it.
  SetTimer(nullptr, 0, 500, &Win32UnattendedMode::AnswerBox);
  return MessageBoxW(owner, text.c_str(), caption.c_str(), type);
}

void CALLBACK Win32UnattendedMode::AnswerBox(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND box = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), &FindBox, reinterpret_cast<LPARAM>(&box));
  if (box == nullptr) return;  // not up yet: the timer comes again
  KillTimer(nullptr, timer);
  if (!pending.log.empty()) {
    // The text as the box shows it: its static control, id 0xFFFF.
    const std::string record = windows::Utf8(TextOf(box)) + '\x1f' +
                               windows::Utf8(TextOf(GetDlgItem(box, 0xFFFF))) + '\x1e';
    AppendToFile(pending.log, record);
  }
  PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(pending.answer), 0);
}

void Win32UnattendedMode::ScheduleCloseIfAsked(HWND dialog) const {
  if (closeAfterMs_ == 0) return;
  closing = dialog;
  SetTimer(nullptr, 0, closeAfterMs_, &AskClose);
}

void Win32UnattendedMode::SaveDialogPictureIfAsked(HWND dialog) const {
  if (dialogPicture_.empty() || dialog == nullptr || !IsWindowVisible(dialog)) return;
  RECT frame{};
  GetWindowRect(dialog, &frame);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  HDC source = GetWindowDC(dialog);
  HDC memory = CreateCompatibleDC(source);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom-up, as BMP files store rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
  GdiFlush();
  const std::size_t size = static_cast<std::size_t>(width) * height * 4;
  BITMAPFILEHEADER header{};
  header.bfType = 0x4d42;  // "BM"
  header.bfOffBits = sizeof header + sizeof info.bmiHeader;
  header.bfSize = static_cast<DWORD>(header.bfOffBits + size);
  std::string file(reinterpret_cast<const char*>(&header), sizeof header);
  file.append(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
  file.append(static_cast<const char*>(bits), size);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(dialog, source);
  DeleteFileW(dialogPicture_.c_str());
  AppendToFile(dialogPicture_, file);
}

}  // namespace vellumo
