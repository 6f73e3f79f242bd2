#include "tests/probe/probe.h"

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <map>

namespace {

struct Entry {
  const wchar_t* usage;
  ProbeFunction run;
};

std::map<std::wstring, Entry>& Commands() {
  static std::map<std::wstring, Entry> commands;
  return commands;
}

void PrintUsage() {
  std::fprintf(stderr, "usage: quillon_probe.exe <command> [arguments...]\n");
  for (const auto& [name, entry] : Commands()) {
    std::fprintf(stderr, "  %s %s\n", Utf8(name).c_str(), Utf8(entry.usage).c_str());
  }
}

struct FindState {
  const std::wstring* caption;
  HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM parameter) {
  auto* state = reinterpret_cast<FindState*>(parameter);
  wchar_t className[16] = L"";
  GetClassNameW(window, className, 16);
  if (std::wcscmp(className, L"#32770") != 0) return TRUE;
  if (WindowText(window) != *state->caption) return TRUE;
  state->found = window;
  return FALSE;
}

}  // namespace

ProbeCommand::ProbeCommand(const wchar_t* name, const wchar_t* usage, ProbeFunction run) {
  // Two files giving one name would leave one of them silently unreachable.
  if (!Commands().emplace(name, Entry{usage, run}).second) {
    std::fprintf(stderr, "probe: the command %s is defined twice\n", Utf8(name).c_str());
    std::abort();
  }
}

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                 nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

void PrintLine(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

std::wstring WindowText(HWND window) {
  LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  LRESULT copied = SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(copied));
  return text;
}

RECT ChildRect(HWND child) {
  RECT rect = {};
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

long ParseNumber(const std::wstring& text) {
  if (text.empty()) return -1;
  wchar_t* end = nullptr;
  long value = std::wcstol(text.c_str(), &end, 0);
  return *end == L'\0' ? value : -1;
}

HWND WaitForDialog(const std::wstring& caption, int milliseconds, bool visible) {
  for (int waited = 0;; waited += 100) {
    FindState state{&caption, nullptr};
    EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&state));
    if (state.found && (!visible || IsWindowVisible(state.found))) return state.found;
    if (waited >= milliseconds) return nullptr;
    Sleep(100);
  }
}

HWND DialogOrComplain(const std::wstring& caption) {
  HWND dialog = WaitForDialog(caption);
  if (!dialog) std::fprintf(stderr, "probe: no dialog \"%s\"\n", Utf8(caption).c_str());
  return dialog;
}

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    PrintUsage();
    return 2;
  }
  auto found = Commands().find(argv[1]);
  if (found == Commands().end()) {
    PrintUsage();
    return 2;
  }
  return found->second.run(ProbeArguments(argv + 2, argv + argc));
}
