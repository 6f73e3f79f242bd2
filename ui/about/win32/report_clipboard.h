// Puts the environment report on the clipboard as Unicode text.
#pragma once

#include <cstddef>
#include <string_view>

enum class ClipboardOutcome {
  kCopied,
  kRefused,  // the clipboard did not take the block
  kOpenFailed,
  kNoMemory,
  kLockFailed,
  kEmptyFailed,
};

// The clipboard gets one block of this size: a longer text is cut to fit, terminator
// included, and never in the middle of a surrogate pair.
inline constexpr size_t kReportBlockBytes = 16384;

ClipboardOutcome CopyReportToClipboard(std::u16string_view text);
