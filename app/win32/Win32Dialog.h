#pragma once
// The progress dialog on plain Win32: two groups of steps, each step a label
// and a pair of marks (red cross, green check) lying on top of each other,
// at the form's positions scaled to the monitor's DPI. It holds no run
// logic; it tells its owner when to start the job and when the user asks
// to close.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/Step.h"
#include "app/win32/DialogColours.h"
#include "app/win32/StepPictureRaster.h"

namespace vellumo {

class Win32Dialog {
 public:
  static constexpr int kClientWidth = 264;
  static constexpr int kDesignedClientHeight = 225;
  // The designed window frame: outer height minus client height.
  static constexpr int kDesignedFrameHeight = 28;

  // Creates the window, hidden, centred on the primary monitor, with the
  // button face colours until SetColours.
  explicit Win32Dialog(HINSTANCE instance);
  ~Win32Dialog();
  Win32Dialog(const Win32Dialog&) = delete;
  Win32Dialog& operator=(const Win32Dialog&) = delete;

  HWND Handle() const { return window_; }
  // False once the window is destroyed.
  bool IsOpen() const { return window_ != nullptr; }
  bool IsVisible() const { return window_ != nullptr && IsWindowVisible(window_); }
  void Show();
  // Destroys the window; that ends the message loop (WM_QUIT).
  void Close();

  // Client height in logical pixels (96 dpi); the width stays kClientWidth.
  void SetClientHeight(int logicalPixels);
  void SetColours(const DialogColours& colours);
  // The component of that name in the form ("lbVellumo",
  // "ImgVellumoResultatYes", ...), or nullptr.
  HWND Component(const std::string& name) const;
  HWND StepImage(Step step, StepMark mark) const;
  HWND StepLabel(Step step) const;
  // Replaces a label's text; the label grows or shrinks to it.
  void SetLabelText(HWND label, const std::wstring& text);
  void SetWaitCursor(bool wait);
  UINT Dpi() const { return dpi_; }

  // Called, through the message queue, once after the first paint and again
  // on every later activation of the window.
  void SetActivationHandler(std::function<void()> handler);
  // Asked on every close request (close button, Alt+F4, WM_CLOSE): false
  // keeps the dialog open. Without a handler the dialog closes.
  void SetCloseHandler(std::function<bool()> handler);

 private:
  enum class Kind { Heading, Label, Cross, Check };
  struct Placement {
    const char* name;
    Kind kind;
    int left;
    int top;
    const wchar_t* text;
  };
  struct Child {
    const Placement* placement;
    HWND window;
  };

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void CreateComponents();
  // Fonts, positions and sizes for the current DPI.
  void Layout();
  void ResizeWindow();
  void SizeLabel(HWND label);
  void DrawMark(const DRAWITEMSTRUCT& item);
  void DescribeMarks();
  int Scale(int logical) const { return MulDiv(logical, static_cast<int>(dpi_), 96); }
  const Child* Find(HWND window) const;
  void ReleaseGdi();

  static const Placement kPlacements[];
  HINSTANCE instance_;
  HWND window_ = nullptr;
  std::vector<Child> children_;
  UINT dpi_ = 96;
  int clientHeight_ = kDesignedClientHeight;
  DialogColours colours_;
  HBRUSH background_ = nullptr;
  HFONT font_ = nullptr;
  HFONT bold_ = nullptr;
  StepPictureBitmap cross_;
  StepPictureBitmap check_;
  bool painted_ = false;
  bool waitCursor_ = false;
  std::function<void()> activationHandler_;
  std::function<bool()> closeHandler_;
};

}  // namespace vellumo
