#include "app/win32/Win32Dialog.h"

#include <oleacc.h>

#include <cstring>

namespace vellumo {

namespace {

constexpr wchar_t kClassName[] = L"VellumoDialog";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_APPWINDOW;
// Posted after the first paint and on activation: the job runs from the
// message loop, never inside a paint or an activation message.
constexpr UINT kActivated = WM_APP + 1;

// What a screen reader announces for a mark; the step it belongs to comes
// with it as the mark's description.
constexpr wchar_t kPassedMarkName[] = L"Étape réussie";
constexpr wchar_t kFailedMarkName[] = L"Étape non réussie";

std::uint32_t FromColorRef(COLORREF colour) {
  return (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
}

COLORREF ToColorRef(std::uint32_t rgb) {
  return RGB((rgb >> 16) & 0xff, (rgb >> 8) & 0xff, rgb & 0xff);
}

const char* StepName(Step step) {
  switch (step) {
    case Step::EtatConnexionReadConf: return "EtatConnexionReadConf";
    case Step::EtatConnexionCheckConf: return "EtatConnexionCheckConf";
    case Step::EtatConnexionResultat: return "EtatConnexionResultat";
    case Step::VellumoReadConf: return "VellumoReadConf";
    case Step::VellumoPreparation: return "VellumoPreparation";
    case Step::VellumoConnexion: return "VellumoConnexion";
    case Step::VellumoResultat: return "VellumoResultat";
  }
  return "";
}

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

}  // namespace

// Declaration order of the form: the names are what the run addresses.
const Win32Dialog::Placement Win32Dialog::kPlacements[] = {
    {"lbEtatConnexion", Kind::Heading, 24, 16, L"Etat de la connexion"},
    {"ImgEtatConnexionReadConfNo", Kind::Cross, 223, 35, nullptr},
    {"ImgEtatConnexionReadConfYes", Kind::Check, 223, 35, nullptr},
    {"ImgVellumoReadConfYes", Kind::Check, 223, 136, nullptr},
    {"ImgVellumoReadConfNo", Kind::Cross, 223, 136, nullptr},
    {"lbVellumo", Kind::Heading, 24, 117, L"Envoi du mail"},
    {"lbEtatConnexionReadConf", Kind::Label, 40, 35, L"Lecture du fichier de configuration"},
    {"lbVellumoReadConf", Kind::Label, 40, 136, L"Lecture du fichier de configuration"},
    {"ImgEtatConnexionCheckConfNo", Kind::Cross, 223, 54, nullptr},
    {"ImgEtatConnexionCheckConfYes", Kind::Check, 223, 54, nullptr},
    {"lbEtatConnexionCheckConf", Kind::Label, 40, 54, L"Contrôle de la configuration"},
    {"ImgEtatConnexionResultatNo", Kind::Cross, 223, 73, nullptr},
    {"ImgEtatConnexionResultatYes", Kind::Check, 223, 73, nullptr},
    {"lbEtatConnexionResultat", Kind::Label, 40, 73, L"Connexion"},
    {"ImgVellumoPreparationYes", Kind::Check, 223, 155, nullptr},
    {"ImgVellumoPreparationNo", Kind::Cross, 223, 155, nullptr},
    {"lbVellumoPreparation", Kind::Label, 40, 155, L"Préparation du mail"},
    {"ImgVellumoConnexionNo", Kind::Cross, 223, 174, nullptr},
    {"ImgVellumoConnexionYes", Kind::Check, 223, 174, nullptr},
    {"lbVellumoConnexion", Kind::Label, 40, 174, L"Connexion"},
    {"ImgVellumoResultatNo", Kind::Cross, 223, 193, nullptr},
    {"ImgVellumoResultatYes", Kind::Check, 223, 193, nullptr},
    {"lbVellumoResultat", Kind::Label, 40, 193, L"Envoi"},
};

Win32Dialog::Win32Dialog(HINSTANCE instance)
    : instance_(instance),
      colours_{FromColorRef(GetSysColor(COLOR_BTNFACE)), FromColorRef(GetSysColor(COLOR_WINDOWTEXT)),
               FromColorRef(GetSysColor(COLOR_WINDOWTEXT))} {
  WNDCLASSEXW windowClass{};
  if (!GetClassInfoExW(instance_, kClassName, &windowClass)) {
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &Win32Dialog::WindowProc;
    windowClass.hInstance = instance_;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    // The program's icon, resource 1; none in the test programs.
    windowClass.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(1));
    windowClass.lpszClassName = kClassName;
    RegisterClassExW(&windowClass);
  }
  background_ = CreateSolidBrush(ToColorRef(colours_.background));
  window_ = CreateWindowExW(kExStyle, kClassName, L"Envoi du mail", kStyle, 0, 0, 1, 1, nullptr,
                            nullptr, instance_, this);
  if (window_ == nullptr) return;
  dpi_ = GetDpiForWindow(window_);
  if (dpi_ == 0) dpi_ = 96;
  CreateComponents();
  Layout();

  RECT frame{};
  GetWindowRect(window_, &frame);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& work = monitor.rcWork;
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  SetWindowPos(window_, nullptr, work.left + (work.right - work.left - width) / 2,
               work.top + (work.bottom - work.top - height) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

Win32Dialog::~Win32Dialog() {
  if (window_ != nullptr) {
    // No quit message for a dialog that goes with its owner.
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
  ReleaseGdi();
  if (background_ != nullptr) DeleteObject(background_);
}

void Win32Dialog::ReleaseGdi() {
  if (font_ != nullptr) DeleteObject(font_);
  if (bold_ != nullptr) DeleteObject(bold_);
  font_ = bold_ = nullptr;
}

void Win32Dialog::CreateComponents() {
  int id = 100;
  for (const Placement& placement : kPlacements) {
    const bool label = placement.kind == Kind::Heading || placement.kind == Kind::Label;
    const wchar_t* text =
        label ? placement.text : (placement.kind == Kind::Check ? kPassedMarkName : kFailedMarkName);
    // Marks start hidden; a hidden window is not read out either.
    const DWORD style = WS_CHILD | SS_NOPREFIX | (label ? SS_LEFT | WS_VISIBLE : SS_OWNERDRAW);
    HWND child = CreateWindowExW(0, L"STATIC", text, style, 0, 0, 0, 0, window_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id++)), instance_,
                                 nullptr);
    children_.push_back({&placement, child});
  }
  DescribeMarks();
}

void Win32Dialog::DescribeMarks() {
  // A mark is named by its window text. Its name and role are also set
  // through Dynamic Annotation, since the standard proxy of an owner-drawn
  // static need not read its text; and two marks take turns on one step, so
  // each carries its step's text as description. Best effort where COM or
  // the service is missing.
  IAccPropServices* services = nullptr;
  if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IAccPropServices, reinterpret_cast<void**>(&services)))) {
    return;
  }
  for (const Child& mark : children_) {
    if (mark.placement->kind != Kind::Cross && mark.placement->kind != Kind::Check) continue;
    std::string step = mark.placement->name + 3;  // after "Img"
    step.resize(step.size() - (mark.placement->kind == Kind::Check ? 3 : 2));
    const auto name = WindowText(mark.window);
    services->SetHwndPropStr(mark.window, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                             PROPID_ACC_NAME, name.c_str());
    VARIANT role;
    VariantInit(&role);
    role.vt = VT_I4;
    role.lVal = ROLE_SYSTEM_GRAPHIC;
    services->SetHwndProp(mark.window, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                          PROPID_ACC_ROLE, role);
    if (HWND label = Component("lb" + step)) {
      const std::wstring description = WindowText(label);
      services->SetHwndPropStr(mark.window, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                               PROPID_ACC_DESCRIPTION, description.c_str());
    }
  }
  services->Release();
}

void Win32Dialog::Layout() {
  ReleaseGdi();
  // Tahoma 8 pt: 11 pixels at 96 dpi.
  const int height = -MulDiv(8, static_cast<int>(dpi_), 72);
  font_ = CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                      OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                      DEFAULT_PITCH | FF_SWISS, L"Tahoma");
  bold_ = CreateFontW(height, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                      OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                      DEFAULT_PITCH | FF_SWISS, L"Tahoma");
  const double scale = dpi_ / 96.0;
  cross_ = RenderStepPicture(StepPictureKind::Cross, scale, colours_.background);
  check_ = RenderStepPicture(StepPictureKind::Check, scale, colours_.background);

  for (const Child& component : children_) {
    const Placement& placement = *component.placement;
    if (placement.kind == Kind::Heading || placement.kind == Kind::Label) {
      SendMessageW(component.window, WM_SETFONT,
                   reinterpret_cast<WPARAM>(placement.kind == Kind::Heading ? bold_ : font_), FALSE);
      SizeLabel(component.window);
    } else {
      SetWindowPos(component.window, nullptr, Scale(placement.left), Scale(placement.top), cross_.side,
                   cross_.side, SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  ResizeWindow();
  InvalidateRect(window_, nullptr, TRUE);
}

void Win32Dialog::SizeLabel(HWND label) {
  const Child* component = Find(label);
  if (component == nullptr) return;
  const std::wstring text = WindowText(label);
  HDC dc = GetDC(label);
  HGDIOBJ old = SelectObject(dc, component->placement->kind == Kind::Heading ? bold_ : font_);
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(label, dc);
  SetWindowPos(label, nullptr, Scale(component->placement->left), Scale(component->placement->top), size.cx,
               metrics.tmHeight, SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(label, nullptr, TRUE);
}

void Win32Dialog::ResizeWindow() {
  const int width = Scale(kClientWidth), height = Scale(clientHeight_);
  RECT outer{0, 0, width, height};
  AdjustWindowRectExForDpi(&outer, kStyle, FALSE, kExStyle, dpi_);
  SetWindowPos(window_, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  // The frame may not be the one computed for this DPI (a window manager's
  // own, or metrics not yet switched): correct by what the client got.
  RECT client{};
  GetClientRect(window_, &client);
  if (client.right != width || client.bottom != height) {
    SetWindowPos(window_, nullptr, 0, 0, outer.right - outer.left + width - client.right,
                 outer.bottom - outer.top + height - client.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void Win32Dialog::Show() {
  ShowWindow(window_, SW_SHOWNORMAL);
  UpdateWindow(window_);
}

void Win32Dialog::Close() {
  if (window_ != nullptr) DestroyWindow(window_);
}

void Win32Dialog::SetClientHeight(int logicalPixels) {
  clientHeight_ = logicalPixels;
  ResizeWindow();
}

void Win32Dialog::SetColours(const DialogColours& colours) {
  colours_ = colours;
  if (background_ != nullptr) DeleteObject(background_);
  background_ = CreateSolidBrush(ToColorRef(colours_.background));
  Layout();
}

HWND Win32Dialog::Component(const std::string& name) const {
  for (const auto& component : children_) {
    if (name == component.placement->name) return component.window;
  }
  return nullptr;
}

HWND Win32Dialog::StepImage(Step step, StepMark mark) const {
  return Component(std::string("Img") + StepName(step) + (mark == StepMark::Passed ? "Yes" : "No"));
}

HWND Win32Dialog::StepLabel(Step step) const { return Component(std::string("lb") + StepName(step)); }

void Win32Dialog::SetLabelText(HWND label, const std::wstring& text) {
  SetWindowTextW(label, text.c_str());
  SizeLabel(label);
}

void Win32Dialog::SetWaitCursor(bool wait) {
  waitCursor_ = wait;
  // At once, not only when the mouse next moves over the dialog.
  POINT cursor{};
  GetCursorPos(&cursor);
  HWND under = WindowFromPoint(cursor);
  if (window_ != nullptr && (under == window_ || IsChild(window_, under))) {
    SetCursor(LoadCursorW(nullptr, wait ? IDC_WAIT : IDC_ARROW));
  }
}

void Win32Dialog::SetActivationHandler(std::function<void()> handler) {
  activationHandler_ = std::move(handler);
}

void Win32Dialog::SetCloseHandler(std::function<bool()> handler) {
  closeHandler_ = std::move(handler);
}

const Win32Dialog::Child* Win32Dialog::Find(HWND window) const {
  for (const auto& component : children_) {
    if (component.window == window) return &component;
  }
  return nullptr;
}

void Win32Dialog::DrawMark(const DRAWITEMSTRUCT& item) {
  const Child* component = Find(item.hwndItem);
  if (component == nullptr) return;
  const StepPictureBitmap& picture = component->placement->kind == Kind::Cross ? cross_ : check_;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = picture.side;
  info.bmiHeader.biHeight = -picture.side;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  FillRect(item.hDC, &item.rcItem, background_);
  const int left = item.rcItem.left + (item.rcItem.right - item.rcItem.left - picture.side) / 2;
  const int top = item.rcItem.top + (item.rcItem.bottom - item.rcItem.top - picture.side) / 2;
  SetDIBitsToDevice(item.hDC, left, top, static_cast<DWORD>(picture.side),
                    static_cast<DWORD>(picture.side), 0, 0, 0, static_cast<UINT>(picture.side),
                    picture.pixels.data(), &info, DIB_RGB_COLORS);
}

LRESULT CALLBACK Win32Dialog::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    static_cast<Win32Dialog*>(create->lpCreateParams)->window_ = window;
  }
  auto* dialog = reinterpret_cast<Win32Dialog*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (dialog == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  return dialog->OnMessage(message, wParam, lParam);
}

LRESULT Win32Dialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = window_;
  switch (message) {
    case WM_ERASEBKGND: {
      RECT client{};
      GetClientRect(window, &client);
      FillRect(reinterpret_cast<HDC>(wParam), &client, background_);
      return 1;
    }
    case WM_CTLCOLORSTATIC: {
      const Child* component = Find(reinterpret_cast<HWND>(lParam));
      const bool heading = component != nullptr && component->placement->kind == Kind::Heading;
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, ToColorRef(heading ? colours_.heading : colours_.text));
      SetBkColor(dc, ToColorRef(colours_.background));
      return reinterpret_cast<LRESULT>(background_);
    }
    case WM_DRAWITEM:
      DrawMark(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_PAINT: {
      const LRESULT result = DefWindowProcW(window, message, wParam, lParam);
      if (!painted_) {
        painted_ = true;
        PostMessageW(window, kActivated, 0, 0);
      }
      return result;
    }
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && painted_) PostMessageW(window, kActivated, 0, 0);
      break;
    case kActivated:
      if (activationHandler_) activationHandler_();
      return 0;
    case WM_CLOSE:
      if (closeHandler_ && !closeHandler_()) return 0;
      DestroyWindow(window);
      return 0;
    case WM_SETCURSOR:
      if (waitCursor_) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
    case WM_DPICHANGED: {
      dpi_ = HIWORD(wParam);
      const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
      Layout();
      SetWindowPos(window, nullptr, suggested->left, suggested->top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY:
      window_ = nullptr;
      children_.clear();
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace vellumo
