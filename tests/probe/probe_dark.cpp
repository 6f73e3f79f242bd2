// Commands for the dark-theme tests: read back what a dialog's windows show, set a check
// box, and announce a change of the system's colour set.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/probe/probe.h"

namespace {

// The client area of the dialog (id 0) or of one of its controls, as 32-bit pixels
// (0x00RRGGBB) row by row. Read through the dialog's DC: under Wine a control's own DC
// does not give another process its pixels.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<DWORD> values;
  DWORD at(long x, long y) const {
    return values[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
  }
};

bool ReadPixels(const ProbeArguments& arguments, Pixels* out) {
  HWND dialog = DialogOrComplain(arguments[0]);
  if (!dialog) return false;
  long id = ParseNumber(arguments[1]);
  RECT area = {};
  if (id == 0) {
    GetClientRect(dialog, &area);
  } else {
    HWND control = GetDlgItem(dialog, static_cast<int>(id));
    if (!control) {
      std::fprintf(stderr, "probe: no control %ld\n", id);
      return false;
    }
    RECT client = {};
    GetClientRect(control, &client);
    MapWindowPoints(control, dialog, reinterpret_cast<POINT*>(&client), 2);
    area = client;
  }
  out->width = area.right - area.left;
  out->height = area.bottom - area.top;
  out->values.assign(static_cast<size_t>(out->width) * static_cast<size_t>(out->height), 0);
  if (out->values.empty()) return true;
  HDC dc = GetDC(dialog);
  HDC memory = CreateCompatibleDC(dc);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = out->width;
  info.bmiHeader.biHeight = -out->height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, out->width, out->height, dc, area.left, area.top, SRCCOPY);
  GdiFlush();
  const auto* source = static_cast<const DWORD*>(bits);
  for (size_t i = 0; i < out->values.size(); ++i) out->values[i] = source[i] & 0xFFFFFF;
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(dialog, dc);
  return true;
}

// pixel <caption> <id> <x> <y>: "r g b" of a point of the client area (id 0: the dialog).
int Pixel(const ProbeArguments& arguments) {
  if (arguments.size() != 4) return 2;
  Pixels pixels;
  if (!ReadPixels(arguments, &pixels)) return 1;
  long x = ParseNumber(arguments[2]);
  long y = ParseNumber(arguments[3]);
  if (x < 0 || y < 0 || x >= pixels.width || y >= pixels.height) return 2;
  DWORD pixel = pixels.at(x, y);
  char line[32];
  std::snprintf(line, sizeof line, "%lu %lu %lu", (pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF,
                pixel & 0xFF);
  PrintLine(line);
  return 0;
}

// count <caption> <id> <r> <g> <b> [x y width height]: how many pixels of the client area
// (or of the part given) have exactly this colour.
int Count(const ProbeArguments& arguments) {
  if (arguments.size() != 5 && arguments.size() != 9) return 2;
  Pixels pixels;
  if (!ReadPixels(arguments, &pixels)) return 1;
  DWORD colour = static_cast<DWORD>((ParseNumber(arguments[2]) << 16) |
                                    (ParseNumber(arguments[3]) << 8) | ParseNumber(arguments[4]));
  long left = 0, top = 0, right = pixels.width, bottom = pixels.height;
  if (arguments.size() == 9) {
    left = ParseNumber(arguments[5]);
    top = ParseNumber(arguments[6]);
    right = std::min<long>(pixels.width, left + ParseNumber(arguments[7]));
    bottom = std::min<long>(pixels.height, top + ParseNumber(arguments[8]));
  }
  long count = 0;
  for (long y = std::max(0L, top); y < bottom; ++y) {
    for (long x = std::max(0L, left); x < right; ++x) {
      count += pixels.at(x, y) == colour;
    }
  }
  PrintLine(std::to_string(count));
  return 0;
}

// setcheck <caption> <id> <0|1>: sets a check box's state alone; the dialog is not told, so
// that a disabled control can be set too.
int Check(const ProbeArguments& arguments) {
  if (arguments.size() != 3) return 2;
  HWND dialog = DialogOrComplain(arguments[0]);
  if (!dialog) return 1;
  HWND control = GetDlgItem(dialog, static_cast<int>(ParseNumber(arguments[1])));
  if (!control) return 1;
  SendMessageW(control, BM_SETCHECK, ParseNumber(arguments[2]) == 1 ? BST_CHECKED : BST_UNCHECKED,
               0);
  return 0;
}

// settingchange <name>: tells every top-level window that this setting changed, as Windows
// does when the user switches between the light and dark application mode.
int SettingChange(const ProbeArguments& arguments) {
  if (arguments.size() != 1) return 2;
  DWORD_PTR result = 0;
  SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0,
                      reinterpret_cast<LPARAM>(arguments[0].c_str()), SMTO_ABORTIFHUNG, 5000,
                      &result);
  return 0;
}

// syscolor <index>: "r g b" of a system colour (15: the button face).
int SystemColour(const ProbeArguments& arguments) {
  if (arguments.size() != 1) return 2;
  DWORD colour = GetSysColor(static_cast<int>(ParseNumber(arguments[0])));
  char line[32];
  std::snprintf(line, sizeof line, "%lu %lu %lu", colour & 0xFF, (colour >> 8) & 0xFF,
                (colour >> 16) & 0xFF);
  PrintLine(line);
  return 0;
}

ProbeCommand pixel(L"pixel", L"<caption> <id> <x> <y>", Pixel);
ProbeCommand count(L"count", L"<caption> <id> <r> <g> <b> [x y width height]", Count);
ProbeCommand setCheck(L"setcheck", L"<caption> <id> <0|1>", Check);
ProbeCommand systemColour(L"syscolor", L"<index>", SystemColour);
ProbeCommand settingChange(L"settingchange", L"<name>", SettingChange);

}  // namespace
