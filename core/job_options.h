// The record that describes one conversion run.
#pragma once

#include <cstdint>
#include <memory>

#include "core/wide_text.h"

// The compiled regular expression of a run; defined by the replacement code.
struct CompiledPattern;

// Line-ending list positions.
enum LineEndingKind : int16_t {
  kLineEndingCrLf = 0,
  kLineEndingLf = 1,
  kLineEndingCr = 2,
};

struct JobOptions {
  WideText targetDirectory;           // drive plus directory part of the target text
  WideText filePattern;               // file-name plus extension part, may hold * and ?
  int16_t inputEncodingIndex = 1;     // 0 detect, 1..8 catalogue, 9 other code page
  uint32_t inputOtherCodePage = 0;
  int16_t outputEncodingIndex = 0;    // 0 same as read, 1..8 catalogue, 9 other code page
  uint32_t outputOtherCodePage = 0;
  int16_t lineEndingConversion = -1;  // -1 off, else a LineEndingKind
  int16_t lineEndingKind = kLineEndingCrLf;
  uint32_t tabColumns = 4;
  bool makeBackup = false;
  bool searchSubfolders = true;
  bool fullWidthSpaceToTwo = false;
  bool fullWidthSpaceToOne = false;
  bool trimTrailingWhiteSpace = false;
  bool expandTabs = false;
  bool removeControlCodes = false;
  bool controlCodesToSpaces = false;
  bool keepTimestamps = false;
  bool replaceEnabled = false;
  bool replaceUseRegex = false;
  bool replaceIgnoreCase = false;
  bool replaceSingleLine = false;
  bool replaceDotNotNewline = false;
  std::shared_ptr<const CompiledPattern> compiledPattern;
  WideText searchText;
  WideText replacementText;
  uint32_t matchOptions = 0;
  uint32_t insertEveryBytes = 0;      // 0 = off
  uint32_t insertEveryChars = 0;      // 0 = off
};
