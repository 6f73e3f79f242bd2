// Where the engine's messages go, how it learns that the user wants to stop, and the
// program's message box.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/wide_text.h"
#include "platform/native_path.h"
#include "platform/progress_line.h"

// Message box styles and answers, with the values the Windows API uses.
enum : uint32_t {
  kBoxOk = 0x0,
  kBoxYesNo = 0x4,
  kBoxIconError = 0x10,
  kBoxIconQuestion = 0x20,
  kBoxIconWarning = 0x30,
  kBoxIconInformation = 0x40,
};
enum : int { kAnswerOk = 1, kAnswerCancel = 2, kAnswerYes = 6, kAnswerNo = 7 };

class MessageHost {
 public:
  virtual ~MessageHost() = default;
  // One formatted message, printed or collected as it stands.
  virtual void ReportMessage(std::u16string_view text) = 0;
  // True when the user wants the run to stop.
  virtual bool AbortRequested() = 0;
  // Shows a message box and returns the answer.
  virtual int ShowMessageBox(std::u16string_view text, std::u16string_view caption,
                             uint32_t style) = 0;
  // The end of a run in dialog mode: the summary and every message of the run.
  virtual void ShowResults(std::u16string_view /*summary*/, std::u16string_view /*details*/) {}
  // How far the run has come, told on entering a folder and after each file; folder is
  // the current one. Cheap enough to call that often. Nothing by default.
  virtual void ShowProgress(const ProgressCounts& /*counts*/, const NativePath& /*folder*/) {}
  // The run's walk is over: whatever ShowProgress shows goes away.
  virtual void EndProgress() {}
};

// Every message of the current run, collected in dialog mode.
extern WideText resultsText;

// Console output: messages go to standard output as they arise, a progress line is kept
// on standard error when that is a terminal (erased before every message and at the end),
// the abort poll answers false, a message box is written to standard error (a Yes/No
// question is answered on the terminal where there is one, else No).
MessageHost& ConsoleMessageHost();
// The console host's progress line drawn on this terminal by this clock from now on (its
// own: OpenStandardErrorTerminal(), SteadyMilliseconds).
void SetConsoleProgressTerminal(std::unique_ptr<ProgressTerminal> terminal,
                                ProgressLine::Clock clock);

// The host of this process's messages: the console host until the program sets another.
// Code without an engine context (the registry wrappers' guard messages) reports here.
MessageHost& CurrentMessageHost();
void SetCurrentMessageHost(MessageHost* host);
