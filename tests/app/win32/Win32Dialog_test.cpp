// The real Win32 dialog and its toolkit, under Wine in the test build: the
// form's geometry at 96 and 192 dpi, the marks a screen reader announces,
// the close request, the progress line, and waits that go on answering.
#include "app/win32/Win32Dialog.h"

#include <gtest/gtest.h>
#include <oleacc.h>

#include <chrono>

#include "app/win32/Win32Prompts.h"
#include "app/win32/Win32Toolkit.h"

namespace vellumo {
namespace {

RECT ClientRect(HWND window) {
  RECT rect{};
  GetClientRect(window, &rect);
  return rect;
}

// A component's rectangle in the dialog's client coordinates.
RECT Place(const Win32Dialog& dialog, const std::string& name) {
  HWND component = dialog.Component(name);
  EXPECT_NE(component, nullptr) << name;
  RECT rect{};
  GetWindowRect(component, &rect);
  MapWindowPoints(nullptr, dialog.Handle(), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

std::wstring Text(HWND window) {
  wchar_t text[128] = {};
  GetWindowTextW(window, text, 128);
  return text;
}

struct DialogTest : ::testing::Test {
  void TearDown() override {
    // Each closed dialog leaves a quit message for the main loop.
    DispatchWaitingMessages();
    MSG quit;
    PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  }
  Win32Dialog dialog{GetModuleHandleW(nullptr)};
  Win32Prompts prompts;
  Win32Toolkit toolkit{dialog, prompts};
};

struct GeometryCase {
  UINT dpi;
  int scale100;  // percent
};

class DialogGeometry : public DialogTest, public ::testing::WithParamInterface<GeometryCase> {};

TEST_P(DialogGeometry, FormPositionsScaledToTheMonitor) {
  const GeometryCase c = GetParam();
  if (c.dpi != dialog.Dpi()) {
    RECT suggested{0, 0, 600, 600};
    SendMessageW(dialog.Handle(), WM_DPICHANGED, MAKEWPARAM(c.dpi, c.dpi),
                 reinterpret_cast<LPARAM>(&suggested));
  }
  const auto px = [&](int logical) { return logical * c.scale100 / 100; };
  RECT client = ClientRect(dialog.Handle());
  EXPECT_EQ(client.right, px(264));
  EXPECT_EQ(client.bottom, px(225));

  toolkit.SetDialogOuterHeight(141);  // the connection group only
  client = ClientRect(dialog.Handle());
  EXPECT_EQ(client.right, px(264));
  EXPECT_EQ(client.bottom, px(113));

  const RECT mark = Place(dialog, "ImgVellumoResultatYes");
  EXPECT_EQ(mark.left, px(223));
  EXPECT_EQ(mark.top, px(193));
  EXPECT_EQ(mark.right - mark.left, px(16));
  const RECT heading = Place(dialog, "lbVellumo");
  EXPECT_EQ(heading.left, px(24));
  EXPECT_EQ(heading.top, px(117));
  // Labels are as wide as their text in the dialog's font at this DPI.
  const RECT longest = Place(dialog, "lbEtatConnexionReadConf");
  EXPECT_EQ(longest.left, px(40));
  HWND label = dialog.Component("lbEtatConnexionReadConf");
  HDC dc = GetDC(label);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)));
  SIZE text{};
  GetTextExtentPoint32W(dc, L"Lecture du fichier de configuration", 35, &text);
  SelectObject(dc, old);
  ReleaseDC(label, dc);
  EXPECT_GT(text.cx, px(140));  // the font follows the DPI
  EXPECT_EQ(longest.right - longest.left, text.cx);
}

INSTANTIATE_TEST_SUITE_P(Dpi, DialogGeometry,
                         ::testing::Values(GeometryCase{96, 100}, GeometryCase{192, 200}),
                         [](const auto& row) { return std::to_string(row.param.dpi) + "dpi"; });

TEST_F(DialogTest, CaptionAndMarksAsAScreenReaderFindsThem) {
  EXPECT_EQ(Text(dialog.Handle()), L"Envoi du mail");
  HWND passed = dialog.StepImage(Step::VellumoConnexion, StepMark::Passed);
  HWND failed = dialog.StepImage(Step::VellumoConnexion, StepMark::NotPassed);
  EXPECT_EQ(Text(passed), L"Étape réussie");
  EXPECT_EQ(Text(failed), L"Étape non réussie");
  // What a screen reader asks the mark through MSAA.
  IAccessible* accessible = nullptr;
  ASSERT_EQ(AccessibleObjectFromWindow(passed, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                       reinterpret_cast<void**>(&accessible)),
            S_OK);
  VARIANT self;
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  EXPECT_EQ(accessible->get_accName(self, &name), S_OK);
  EXPECT_EQ(std::wstring(name ? name : L""), L"Étape réussie");
  SysFreeString(name);
  accessible->Release();
  EXPECT_FALSE(IsWindowVisible(passed));
  toolkit.SetStepMarkVisible(Step::VellumoConnexion, StepMark::Passed, true);
  EXPECT_TRUE(GetWindowLongW(passed, GWL_STYLE) & WS_VISIBLE);
  EXPECT_FALSE(GetWindowLongW(failed, GWL_STYLE) & WS_VISIBLE);
}

TEST_F(DialogTest, ProgressLineGrowsItsLabel) {
  const RECT before = Place(dialog, "lbVellumoResultat");
  toolkit.SetStepText(Step::VellumoResultat, "Envoi (37 %)");
  const RECT after = Place(dialog, "lbVellumoResultat");
  EXPECT_EQ(Text(dialog.StepLabel(Step::VellumoResultat)), L"Envoi (37 %)");
  EXPECT_GT(after.right - after.left, before.right - before.left);
}

TEST_F(DialogTest, CloseAskedIsRefusedUntilTheOwnerAgreesAndWaitsAnswerMeanwhile) {
  int asked = 0;
  bool agree = false;
  dialog.SetCloseHandler([&] {
    ++asked;
    return agree;
  });
  PostMessageW(dialog.Handle(), WM_CLOSE, 0, 0);
  const auto start = std::chrono::steady_clock::now();
  toolkit.ProcessMessagesFor(300);
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(asked, 1);  // handled during the wait, not after it
  EXPECT_GE(waited, std::chrono::milliseconds(290));
  EXPECT_TRUE(dialog.IsOpen());

  agree = true;
  SendMessageW(dialog.Handle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(asked, 2);
  EXPECT_FALSE(dialog.IsOpen());
}

}  // namespace
}  // namespace vellumo
