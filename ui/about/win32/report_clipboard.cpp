#include "ui/about/win32/report_clipboard.h"

#include <windows.h>

#include <cstring>

ClipboardOutcome CopyReportToClipboard(std::u16string_view text) {
  constexpr size_t kMaxUnits = kReportBlockBytes / sizeof(char16_t) - 1;
  size_t units = text.size() < kMaxUnits ? text.size() : kMaxUnits;
  if (units < text.size() && units > 0 && text[units - 1] >= 0xD800 && text[units - 1] < 0xDC00) {
    --units;
  }
  if (!OpenClipboard(nullptr)) return ClipboardOutcome::kOpenFailed;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kReportBlockBytes);
  if (!block) {
    CloseClipboard();
    return ClipboardOutcome::kNoMemory;
  }
  void* data = GlobalLock(block);
  if (!data) {
    GlobalFree(block);
    CloseClipboard();
    return ClipboardOutcome::kLockFailed;
  }
  // The block is zero-filled: the terminator is there already.
  std::memcpy(data, text.data(), units * sizeof(char16_t));
  GlobalUnlock(block);
  if (!EmptyClipboard()) {
    GlobalFree(block);
    CloseClipboard();
    return ClipboardOutcome::kEmptyFailed;
  }
  // Once taken, the block belongs to the clipboard.
  bool taken = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
  if (!taken) GlobalFree(block);
  CloseClipboard();
  return taken ? ClipboardOutcome::kCopied : ClipboardOutcome::kRefused;
}
