// Where the engine's messages go, how it learns that the user wants to stop, and the
// program's message box.
#pragma once

#include <cstdint>
#include <string_view>

// Message box styles and answers, with the values the Windows API uses.
enum : uint32_t {
  kBoxOk = 0x0,
  kBoxYesNo = 0x4,
  kBoxIconError = 0x10,
  kBoxIconQuestion = 0x20,
  kBoxIconWarning = 0x30,
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
};

// Console output: messages go to standard output as they arise, the abort poll answers
// false, a message box is written to standard error (a Yes/No question is answered on the
// terminal where there is one, else No).
MessageHost& ConsoleMessageHost();
