// One line on the terminal that shows how far a console run has come, rewritten in place
// and erased before anything else is printed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "core/wide_text.h"

struct ProgressCounts {
  uint32_t folders = 0;   // folders entered
  uint32_t files = 0;     // files taken through the steps
  uint32_t replaced = 0;  // files written
};

// Where the line is drawn: the terminal behind standard error.
class ProgressTerminal {
 public:
  virtual ~ProgressTerminal() = default;
  // The terminal's width in columns; 0 when it cannot be told.
  virtual size_t Columns() = 0;
  // Writes text from the start of the line, leaving the cursor after it.
  virtual void Show(std::u16string_view text) = 0;
  // Empties the line that holds `columns` columns of text and puts the cursor at its start.
  virtual void Erase(size_t columns) = 0;
};

// The terminal behind standard error, or null when standard error is not a terminal.
std::unique_ptr<ProgressTerminal> OpenStandardErrorTerminal();

// Columns taken by text on a terminal: 2 for East Asian wide and full-width characters, 1
// for others.
size_t DisplayColumns(std::u16string_view text);

// The text as it stands when it takes at most `columns` columns, else its end after "…",
// together at most `columns` wide. A character is never cut (a surrogate pair stays whole).
WideText KeepEndInColumns(std::u16string_view text, size_t columns);

class ProgressLine {
 public:
  // Milliseconds of a clock that never goes back.
  using Clock = std::function<int64_t()>;
  static constexpr int64_t kIntervalMs = 100;

  // A null terminal makes every call do nothing.
  ProgressLine(std::unique_ptr<ProgressTerminal> terminal, Clock clock);

  // Draws the counts and the current folder, unless the line was drawn less than
  // kIntervalMs ago. folder is asked for only when the line is drawn.
  void Update(const ProgressCounts& counts, const std::function<WideText()>& folder);
  // Erases the line if it shows.
  void Clear();

 private:
  std::unique_ptr<ProgressTerminal> terminal_;
  Clock clock_;
  bool drawn_ = false;     // some line was ever drawn
  int64_t lastDraw_ = 0;   // when
  size_t shownColumns_ = 0;  // columns on the screen now; 0: nothing shows
};

// A monotonic clock in milliseconds.
int64_t SteadyMilliseconds();
