#include "platform/progress_line.h"

#include <chrono>
#include <utility>

#include "core/message_format.h"
#include "core/process_flags.h"

namespace {

constexpr size_t kDefaultColumns = 80;
constexpr char16_t kEllipsis[] = u"…";

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

bool IsWide(char32_t c) {
  return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) ||
         (c >= 0x3041 && c <= 0x33FF) || (c >= 0x3400 && c <= 0x4DBF) ||
         (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
         (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
         (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
         (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1F64F) ||
         (c >= 0x20000 && c <= 0x3FFFD);
}

// The character that ends just before `end` and where it starts.
size_t PreviousStart(std::u16string_view text, size_t end) {
  size_t start = end - 1;
  if (start > 0 && IsLowSurrogate(text[start]) && IsHighSurrogate(text[start - 1])) --start;
  return start;
}

size_t CharacterColumns(std::u16string_view text, size_t start) {
  char32_t c = text[start];
  if (IsHighSurrogate(text[start]) && start + 1 < text.size() &&
      IsLowSurrogate(text[start + 1])) {
    c = 0x10000 + ((c - 0xD800) << 10) + (text[start + 1] - 0xDC00);
  }
  return IsWide(c) ? 2 : 1;
}

// The longest start of text within `columns` columns.
std::u16string_view KeepStartInColumns(std::u16string_view text, size_t columns) {
  size_t used = 0;
  size_t i = 0;
  while (i < text.size()) {
    size_t width = CharacterColumns(text, i);
    if (used + width > columns) break;
    used += width;
    i += (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) ? 2 : 1;
  }
  return text.substr(0, i);
}

}  // namespace

size_t DisplayColumns(std::u16string_view text) {
  size_t columns = 0;
  for (size_t end = text.size(); end > 0;) {
    size_t start = PreviousStart(text, end);
    columns += CharacterColumns(text, start);
    end = start;
  }
  return columns;
}

WideText KeepEndInColumns(std::u16string_view text, size_t columns) {
  if (DisplayColumns(text) <= columns) return WideText(text);
  if (columns == 0) return WideText();
  // One column goes to the ellipsis; the rest is filled from the end.
  size_t budget = columns - 1;
  size_t used = 0;
  size_t keepFrom = text.size();
  while (keepFrom > 0) {
    size_t start = PreviousStart(text, keepFrom);
    size_t width = CharacterColumns(text, start);
    if (used + width > budget) break;
    used += width;
    keepFrom = start;
  }
  WideText kept(kEllipsis);
  kept.append(text.substr(keepFrom));
  return kept;
}

int64_t SteadyMilliseconds() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

ProgressLine::ProgressLine(std::unique_ptr<ProgressTerminal> terminal, Clock clock)
    : terminal_(std::move(terminal)), clock_(std::move(clock)) {}

void ProgressLine::Update(const ProgressCounts& counts,
                          const std::function<WideText()>& folder) {
  if (!terminal_) return;
  int64_t now = clock_();
  if (drawn_ && now - lastDraw_ < kIntervalMs) return;
  drawn_ = true;
  lastDraw_ = now;

  size_t columns = terminal_->Columns();
  if (columns == 0) columns = kDefaultColumns;
  // The last column stays empty: a character there would make many terminals wrap.
  size_t room = columns - 1;
  WideText line = FormatMessageText(
      Text(u"フォルダ %u  ファイル %u  置換 %u  ", u"folders %u  files %u  replaced %u  "),
      {counts.folders, counts.files, counts.replaced});
  size_t countColumns = DisplayColumns(line);
  if (countColumns >= room) {
    line = WideText(KeepStartInColumns(line, room));
  } else {
    WideText name = folder ? folder() : WideText();
    // A control character in a name (a line break, an escape) would move the cursor or
    // start a sequence of the terminal's, and the line could no longer be erased.
    for (char16_t& c : name) {
      if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) c = u'?';
    }
    line += KeepEndInColumns(name, room - countColumns);
  }
  size_t lineColumns = DisplayColumns(line);
  // A shorter line than the one before leaves no rest of it behind.
  if (shownColumns_ > lineColumns) terminal_->Erase(shownColumns_);
  terminal_->Show(line);
  shownColumns_ = lineColumns;
}

void ProgressLine::Clear() {
  if (!terminal_ || shownColumns_ == 0) return;
  terminal_->Erase(shownColumns_);
  shownColumns_ = 0;
}
