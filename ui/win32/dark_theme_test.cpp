// The dark theme on real windows: the preference and the version rule, the re-theming of
// controls, tooltips and list views, the colours answered, the disabled look painted by the
// program and the main dialog's setting-change handling. The main dialog and a message box
// are checked whole by tests/e2e/dark_theme_test.sh.
#include "ui/win32/dark_theme.h"

#include <windows.h>
#include <commctrl.h>
#include <uxtheme.h>

#include <gtest/gtest.h>

#include <optional>

#include "ui/win32/disabled_painting.h"
#include "ui/win32/resource.h"

namespace {

constexpr wchar_t kPersonalize[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";

// Sets the user's AppsUseLightTheme for a test (or removes it) and puts back what was there.
class LightThemePreference {
 public:
  LightThemePreference() {
    RegCreateKeyExW(HKEY_CURRENT_USER, kPersonalize, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                    &key_, nullptr);
    DWORD size = sizeof saved_;
    DWORD type = 0;
    had_ = key_ && RegQueryValueExW(key_, L"AppsUseLightTheme", nullptr, &type,
                                    reinterpret_cast<BYTE*>(&saved_), &size) == ERROR_SUCCESS &&
           type == REG_DWORD;
  }
  ~LightThemePreference() {
    if (!key_) return;
    if (had_) {
      Set(saved_);
    } else {
      Remove();
    }
    RegCloseKey(key_);
  }
  void Set(DWORD value) {
    RegSetValueExW(key_, L"AppsUseLightTheme", 0, REG_DWORD, reinterpret_cast<BYTE*>(&value),
                   sizeof value);
  }
  void Remove() { RegDeleteValueW(key_, L"AppsUseLightTheme"); }
  bool usable() const { return key_ != nullptr; }

 private:
  HKEY key_ = nullptr;
  DWORD saved_ = 0;
  bool had_ = false;
};

// The version the theme sees, and the flag, for one test.
class ThemeTest : public ::testing::Test {
 protected:
  ~ThemeTest() override {
    SetWindowsVersionSource(nullptr);
    darkTheme = FALSE;
  }
  void PretendWindows(uint32_t major) {
    SetWindowsVersionSource([major] { return std::optional<uint32_t>(major); });
  }
};

bool ReadsDark() {
  ReadDarkPreference();
  return darkTheme != FALSE;
}

TEST_F(ThemeTest, PreferenceCountsOnlyOnWindows10AndLater) {
  LightThemePreference preference;
  ASSERT_TRUE(preference.usable());
  PretendWindows(10);
  preference.Set(0);
  EXPECT_TRUE(ReadsDark());
  EXPECT_NE(DarkBackgroundBrush(), nullptr);
  preference.Set(1);
  EXPECT_FALSE(ReadsDark());
  preference.Remove();
  EXPECT_FALSE(ReadsDark()) << "missing value: light";

  preference.Set(0);
  PretendWindows(6);
  darkTheme = TRUE;
  EXPECT_FALSE(ReadsDark()) << "an older system stays light whatever the preference says";
  SetWindowsVersionSource([] { return std::optional<uint32_t>(); });
  EXPECT_FALSE(ReadsDark()) << "an unknown version counts as older";
}

// A hidden top-level window that goes away with the test.
class Window {
 public:
  explicit Window(HWND window) : window_(window) {}
  ~Window() {
    if (window_) DestroyWindow(window_);
  }
  HWND get() const { return window_; }

 private:
  HWND window_;
};

HWND Child(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style, int x, int y,
           int width, int height) {
  HWND child = CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width,
                               height, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
  return child;
}

HWND TopLevel(DWORD style = WS_POPUP) {
  return CreateWindowExW(0, L"Static", L"", style, 0, 0, 240, 120, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

HWND Tooltip(HWND owner) {
  return CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0, owner,
                         nullptr, GetModuleHandleW(nullptr), nullptr);
}

TEST_F(ThemeTest, TooltipsOfTheWindowAndListViewsTakeTheColours) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES};
  InitCommonControlsEx(&controls);
  Window window(TopLevel());
  Window other(TopLevel());
  ASSERT_NE(window.get(), nullptr);
  Window tip(Tooltip(window.get()));
  Window otherTip(Tooltip(other.get()));
  ASSERT_NE(tip.get(), nullptr);
  HWND list = Child(window.get(), WC_LISTVIEWW, L"", LVS_REPORT, 0, 0, 200, 80);
  ASSERT_NE(list, nullptr);
  ListView_SetExtendedListViewStyle(list, LVS_EX_GRIDLINES);
  COLORREF otherBefore =
      static_cast<COLORREF>(SendMessageW(otherTip.get(), TTM_GETTIPBKCOLOR, 0, 0));

  ApplyTheme(window.get(), true);
  EXPECT_EQ(SendMessageW(tip.get(), TTM_GETTIPBKCOLOR, 0, 0), LRESULT{kDarkTipBackground});
  EXPECT_EQ(SendMessageW(tip.get(), TTM_GETTIPTEXTCOLOR, 0, 0), LRESULT{kDarkTipText});
  EXPECT_EQ(SendMessageW(otherTip.get(), TTM_GETTIPBKCOLOR, 0, 0), LRESULT{otherBefore})
      << "another window's tooltip is left alone";
  EXPECT_EQ(ListView_GetBkColor(list), kDarkTipBackground);
  EXPECT_EQ(ListView_GetTextBkColor(list), kDarkTipBackground);
  EXPECT_EQ(ListView_GetTextColor(list), kDarkTipText);
  EXPECT_EQ(ListView_GetExtendedListViewStyle(list), DWORD{kDarkListViewExtendedStyles})
      << "exactly double buffering and full-row select";

  ApplyTheme(window.get(), false);
  EXPECT_EQ(SendMessageW(tip.get(), TTM_GETTIPBKCOLOR, 0, 0), LRESULT{GetSysColor(COLOR_INFOBK)});
  EXPECT_EQ(SendMessageW(tip.get(), TTM_GETTIPTEXTCOLOR, 0, 0),
            LRESULT{GetSysColor(COLOR_INFOTEXT)});
  EXPECT_EQ(ListView_GetBkColor(list), GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(ListView_GetTextColor(list), GetSysColor(COLOR_WINDOWTEXT));
}

TEST_F(ThemeTest, ControlsOtherThanPushButtonsLoseTheirVisualStylesWhileDark) {
  Window window(TopLevel());
  HWND check = Child(window.get(), L"Button", L"check", BS_AUTOCHECKBOX, 0, 0, 100, 16);
  HWND edit = Child(window.get(), L"Edit", L"text", 0, 0, 20, 100, 20);
  HWND push = Child(window.get(), L"Button", L"push", BS_PUSHBUTTON, 0, 50, 60, 24);
  ApplyTheme(window.get(), false);
  if (!GetWindowTheme(check)) GTEST_SKIP() << "visual styles are off on this system";
  ApplyTheme(window.get(), true);
  EXPECT_EQ(GetWindowTheme(check), nullptr);
  EXPECT_EQ(GetWindowTheme(edit), nullptr);
  ApplyTheme(window.get(), false);
  EXPECT_NE(GetWindowTheme(check), nullptr) << "light: the default styles again";
  EXPECT_NE(GetWindowTheme(edit), nullptr);
  EXPECT_NE(GetWindowTheme(push), nullptr);
}

TEST_F(ThemeTest, ColourAnswersAndBackground) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 240, 120);
  HGDIOBJ old = SelectObject(dc, bitmap);
  HBRUSH brush = DarkBackgroundBrush();

  SetTextColor(dc, RGB(1, 2, 3));
  SetBkMode(dc, OPAQUE);
  EXPECT_EQ(AnswerControlColour(dc, false, brush), nullptr) << "light: default handling";
  EXPECT_EQ(GetTextColor(dc), RGB(1, 2, 3));
  EXPECT_EQ(GetBkMode(dc), OPAQUE);
  EXPECT_EQ(AnswerControlColour(dc, true, brush), brush);
  EXPECT_EQ(GetTextColor(dc), RGB(255, 255, 255));
  EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
  EXPECT_EQ(GetBkColor(dc), RGB(56, 56, 56));
  EXPECT_TRUE(IsControlColourMessage(WM_CTLCOLORMSGBOX));
  EXPECT_TRUE(IsControlColourMessage(WM_CTLCOLORSTATIC));
  EXPECT_FALSE(IsControlColourMessage(WM_CTLCOLORSTATIC + 1));

  Window window(TopLevel());
  PaintDialogBackground(window.get(), dc, true, brush);
  EXPECT_EQ(GetPixel(dc, 5, 5), RGB(56, 56, 56));
  EXPECT_EQ(GetPixel(dc, 239, 119), RGB(56, 56, 56));
  PaintDialogBackground(window.get(), dc, false, brush);
  EXPECT_EQ(GetPixel(dc, 5, 5), GetSysColor(COLOR_BTNFACE));

  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
}

// --- Disabled painting on a shown window ---------------------------------------------

class DisabledPaintingTest : public ThemeTest {
 protected:
  DisabledPaintingTest() : window_(TopLevel(WS_POPUP | WS_VISIBLE)) {
    check_ = Child(window_.get(), L"Button", L"match_single_line", BS_AUTOCHECKBOX, 10, 10, 150,
                   17);
    radio_ = Child(window_.get(), L"Button", L"radio", BS_AUTORADIOBUTTON, 10, 40, 150, 17);
    bare_ = Child(window_.get(), L"Button", L"", BS_AUTOCHECKBOX, 10, 70, 20, 17);
    push_ = Child(window_.get(), L"Button", L"Push", BS_PUSHBUTTON, 170, 10, 60, 24);
    SubclassForDisabledPainting(window_.get());
  }
  COLORREF PixelOf(HWND control, int x, int y) {
    HDC dc = GetDC(control);
    COLORREF pixel = GetPixel(dc, x, y);
    ReleaseDC(control, dc);
    return pixel;
  }
  void Repaint() {
    RedrawWindow(window_.get(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  }
  bool HasPixelOf(HWND control, const RECT& area, COLORREF colour) {
    HDC dc = GetDC(control);
    bool found = false;
    for (int y = area.top; y < area.bottom && !found; ++y) {
      for (int x = area.left; x < area.right && !found; ++x) found = GetPixel(dc, x, y) == colour;
    }
    ReleaseDC(control, dc);
    return found;
  }

  Window window_;
  HWND check_ = nullptr, radio_ = nullptr, bare_ = nullptr, push_ = nullptr;
};

TEST_F(DisabledPaintingTest, RadioButtonGetsACircleAndTextlessControlNothing) {
  darkTheme = TRUE;
  EnableWindow(radio_, FALSE);
  EnableWindow(bare_, FALSE);
  Repaint();
  EXPECT_EQ(PixelOf(radio_, 7, 7), RGB(76, 76, 76));
  EXPECT_EQ(PixelOf(radio_, 0, 0), RGB(56, 56, 56)) << "a circle leaves the corner";
  EXPECT_NE(PixelOf(bare_, 7, 7), RGB(76, 76, 76)) << "a control without text is not painted";
}

TEST_F(DisabledPaintingTest, OnlyDisabledControlsWhileDarkArePaintedByTheProgram) {
  darkTheme = TRUE;
  SendMessageW(check_, BM_SETCHECK, BST_CHECKED, 0);
  EnableWindow(check_, FALSE);
  Repaint();
  EXPECT_EQ(PixelOf(check_, 0, 0), RGB(127, 127, 127)) << "the box's outline";
  EXPECT_EQ(PixelOf(check_, 7, 7), RGB(76, 76, 76)) << "an empty box, though checked";
  EXPECT_TRUE(HasPixelOf(check_, RECT{18, 1, 150, 17}, RGB(127, 127, 127))) << "grey text";
  darkTheme = FALSE;
  Repaint();
  EXPECT_NE(PixelOf(check_, 7, 7), RGB(76, 76, 76)) << "light: the system's look";
  darkTheme = TRUE;
  EnableWindow(check_, TRUE);
  Repaint();
  EXPECT_NE(PixelOf(check_, 7, 7), RGB(76, 76, 76));
  EnableWindow(push_, FALSE);
  Repaint();
  EXPECT_FALSE(HasPixelOf(push_, RECT{0, 0, 14, 14}, RGB(76, 76, 76)))
      << "push buttons are not subclassed";
}

// --- The main dialog's messages ------------------------------------------------------

INT_PTR CALLBACK ThemedDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    InitMainDialogTheme(dialog);
    return TRUE;
  }
  INT_PTR answer = 0;
  if (HandleMainDialogThemeMessage(dialog, message, wParam, lParam, &answer)) return answer;
  return FALSE;
}

TEST_F(ThemeTest, OnlyTheColourSetChangeRereadsThePreference) {
  LightThemePreference preference;
  ASSERT_TRUE(preference.usable());
  PretendWindows(10);
  preference.Set(0);
  ReadDarkPreference();
  ASSERT_TRUE(darkTheme);
  Window dialog(CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MAIN_ENGLISH),
                                   nullptr, ThemedDialogProc, 0));
  ASSERT_NE(dialog.get(), nullptr);
  HDC dc = GetDC(dialog.get());
  EXPECT_EQ(SendMessageW(dialog.get(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), 0),
            reinterpret_cast<LRESULT>(DarkBackgroundBrush()));

  preference.Set(1);
  SendMessageW(dialog.get(), WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"ImmersiveColorSetX"));
  EXPECT_TRUE(darkTheme) << "another setting's name";
  SendMessageW(dialog.get(), WM_SETTINGCHANGE, 0, 0);
  EXPECT_TRUE(darkTheme) << "no name";
  SendMessageW(dialog.get(), WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"ImmersiveColorSet"));
  EXPECT_FALSE(darkTheme);
  EXPECT_NE(SendMessageW(dialog.get(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), 0),
            reinterpret_cast<LRESULT>(DarkBackgroundBrush()))
      << "light: the default colours";
  ReleaseDC(dialog.get(), dc);

  PretendWindows(6);
  preference.Set(0);
  SendMessageW(dialog.get(), WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"ImmersiveColorSet"));
  EXPECT_FALSE(darkTheme) << "older systems do not follow the notification";
}

}  // namespace
