// quillonc's options: what the command line asks for, read without any input or output.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "core/wide_text.h"

// One field per settings key, starting at the command line's defaults (which leave the
// subfolder search off, unlike the dialog).
struct CliOptions {
  int32_t fileBackup = 0;            // /K
  int32_t searchSubFolders = 0;      // /Y
  int32_t charEncode = 1;            // /F:
  int32_t charEncodeOther = 0;
  int32_t writeEncode = 0;           // /O:
  int32_t writeEncodeOther = 0;
  int32_t crlfTrans = 0;             // /C:
  int32_t crlfTransWay = 0;          // 1 LF, 2 CR, 3 CRLF
  int32_t zenSp2SpSp = 0;            // /Z
  int32_t zenSp2Sp = 0;              // /H
  int32_t delRightWhiteSpace = 0;    // /W
  int32_t tab2Space = 0;             // /T:
  int32_t tab2SpaceClm = 4;
  int32_t delControlCode = 0;        // /D
  int32_t controlCode2Space = 0;     // /A
  int32_t setts = 0;                 // /Q
  int32_t repUseRegex = 0;           // /E
  int32_t repICase = 0;              // /P
  int32_t rep1Line = 0;              // /G
  int32_t repMatchNotDotNewLine = 0; // /N
  int32_t insLfByte = 0;             // /M:
  int32_t insLfChar = 0;             // /L:
  std::optional<WideText> beforeReplace;  // /RB:
  std::optional<WideText> afterReplace;   // /RA:
  // Set by an option that changes file contents; /RB: and /RA: count once both are given.
  bool conversionRequested = false;
};

enum class CliError {
  kNone,
  kNoTarget,         // only options
  kNoConversion,     // a target, but no converting option before it
  kInvalidOption,
  kInvalidEncoding,  // /F: or /O:
  kInvalidNewline,   // /C:
  kInvalidTabCount,  // /T:
};

struct CliParse {
  CliOptions options;
  CliError error = CliError::kNone;
  WideText offendingArgument;  // for the errors that name an argument
  size_t firstTarget = 0;      // index of the first target in the arguments
};

// True for no arguments at all and for a first argument of exactly "/?", "-?" or
// "--help".
bool WantsHelp(const std::vector<WideText>& args);

// True for a first argument of exactly "--version".
bool WantsVersion(const std::vector<WideText>& args);

// Reads the options up to the first argument that does not begin with "/" or "-" (or up
// to "--", which ends the options and is no target). Every argument from there on is a
// target. Stops at the first error.
CliParse ParseCommandLine(const std::vector<WideText>& args);

// A decimal number the way strtol reads it (leading white space, an optional sign, the
// digits up to the first other character; 0 without digits), clamped to 32 bits.
int32_t ReadDecimal(std::u16string_view text);
