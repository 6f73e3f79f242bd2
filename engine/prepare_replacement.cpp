#include <new>
#include <stdexcept>
#include <utility>

#include "core/dialog_controls.h"
#include "core/process_flags.h"
#include "engine/replace_regex.h"
#include "engine/replace_text.h"
#include "engine/run_error.h"

namespace {

using boost::regex_constants::match_any;
using boost::regex_constants::match_not_dot_newline;
using boost::regex_constants::match_single_line;

// matchOptions is stored as a plain number; these are the values it is made of.
static_assert(match_any == 0x400);
static_assert(match_single_line == 0x100000);
static_assert(match_not_dot_newline == 0x40);

bool ReadEditText(const DialogControls& controls, int id, WideText* text, MessageHost& host,
                  const char16_t* japaneseShortage, const char16_t* englishShortage) {
  try {
    *text = controls.GetText(id);
    return true;
  } catch (const std::bad_alloc&) {
    ReportRunError(host, Text(japaneseShortage, englishShortage));
  } catch (const std::length_error&) {
    ReportRunError(host, Text(japaneseShortage, englishShortage));
  } catch (...) {
    ReportRunError(host, Text(u"正規表現の準備中にエラーが発生しました。",
                              u"Regular Expression error. [exception]"));
  }
  return false;
}

}  // namespace

bool PrepareReplacement(const DialogControls& controls, JobOptions* job, MessageHost& host) {
  const bool useRegex = controls.IsChecked(kIdRegexCheck);
  WideText search;
  if (!ReadEditText(controls, kIdSearchText, &search, host,
                    u"文字列置換を行うためのメモリが足りません：\r\n置換前文字列",
                    u"Not enough memory. [BS]")) {
    return false;
  }
  WideText replacement;
  if (!ReadEditText(controls, kIdReplacementText, &replacement, host,
                    u"文字列置換を行うためのメモリが足りません：\r\n置換後文字列",
                    u"Not enough memory. [AS]")) {
    return false;
  }
  const bool ignoreCase = controls.IsChecked(kIdIgnoreCase);
  const bool singleLine = controls.IsChecked(kIdSingleLine);
  const bool dotNotNewline = controls.IsChecked(kIdDotNotNewline);

  // Only a hand-edited settings store gets here with an empty search text; replacing the
  // empty string at every position is never what was meant.
  if (search.empty()) {
    ReportRunError(host, Text(u"置換前文字列が指定されていません。", u"The search string is empty."));
    return false;
  }

  uint32_t matchOptions = match_any;
  if (singleLine) matchOptions |= match_single_line;
  if (dotNotNewline) matchOptions |= match_not_dot_newline;

  std::shared_ptr<const CompiledPattern> pattern;
  if (useRegex) {
    try {
      pattern = CompilePattern(search, ignoreCase);
    } catch (const boost::regex_error&) {
      ReportRunError(host, Text(u"正規表現の指定が不正です。",
                                u"Regular Expression error. [bad_expression]"));
      return false;
    } catch (...) {
      ReportRunError(host, Text(u"正規表現の準備中にエラーが発生しました。",
                                u"Regular Expression error. [exception]"));
      return false;
    }
    search.clear();  // the expression stands in for the search text
  }

  job->replaceUseRegex = useRegex;
  job->replaceIgnoreCase = ignoreCase;
  job->replaceSingleLine = singleLine;
  job->replaceDotNotNewline = dotNotNewline;
  job->compiledPattern = std::move(pattern);
  job->searchText = std::move(search);
  job->replacementText = std::move(replacement);
  job->matchOptions = matchOptions;
  return true;
}
