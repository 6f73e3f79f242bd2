// Console and settings-copy modes through controls held in memory, and the parent's
// console for console mode.
#include "ui/main_dialog.h"

#include <windows.h>

#include <cstdio>

#include "core/process_flags.h"
#include "engine/engine_context.h"
#include "ui/dialog_modes.h"
#include "ui/memory_controls.h"

namespace {

// A handle the process was started with (a pipe or a file it was redirected to) is kept.
bool HasUsableHandle(DWORD which) {
  HANDLE handle = GetStdHandle(which);
  return handle && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

}  // namespace

void AttachParentConsole() {
  bool keepOutput = HasUsableHandle(STD_OUTPUT_HANDLE);
  bool keepInput = HasUsableHandle(STD_INPUT_HANDLE);
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
  FILE* stream = nullptr;
  if (!keepInput) _wfreopen_s(&stream, L"CONIN$", L"r", stdin);
  if (!keepOutput) _wfreopen_s(&stream, L"CONOUT$", L"w", stdout);
}

void DetachParentConsole() { FreeConsole(); }

int RunMainDialog() {
  MemoryControls controls;
  EngineContext context;
  InitializeMainDialog(controls, context);
  return 0;
}
