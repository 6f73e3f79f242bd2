#include "cli/cli_options.h"

#include <limits>
#include <string>

#include "core/ascii_case.h"
#include "core/encoding_catalogue.h"

namespace {

char16_t Upper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }

// True when body (the argument without its "/" or "-") is name followed by ":"; the
// rest goes to *value.
bool TakeValue(std::u16string_view body, std::u16string_view upperName,
               std::u16string_view* value) {
  if (body.size() <= upperName.size() || body[upperName.size()] != u':') return false;
  if (!EqualsIgnoringAsciiCase(body.substr(0, upperName.size()), upperName)) return false;
  *value = body.substr(upperName.size() + 1);
  return true;
}

bool IsOptionStart(const WideText& arg) {
  return !arg.empty() && (arg[0] == u'/' || arg[0] == u'-');
}

// The encoding index of a /F: or /O: value, -1 when it names none.
int EncodingIndex(std::u16string_view value, uint32_t* codePage) {
  // The names are ASCII; anything else cannot match one and reads as a number.
  std::string narrow;
  for (char16_t c : value) narrow.push_back(c < 0x80 ? static_cast<char>(c) : '\x7f');
  return ParseEncodingName(narrow, codePage);
}

// Applies one option. False with *error set when the argument is not a valid option.
bool ApplyOption(const WideText& arg, CliOptions* o, CliError* error) {
  std::u16string_view body = std::u16string_view(arg).substr(1);
  std::u16string_view value;

  if (body.size() == 1) {
    struct Switch {
      char16_t letter;
      int32_t CliOptions::*field;
      bool converting;
    };
    static constexpr Switch kSwitches[] = {
        {u'K', &CliOptions::fileBackup, false},
        {u'Y', &CliOptions::searchSubFolders, false},
        {u'Z', &CliOptions::zenSp2SpSp, true},
        {u'H', &CliOptions::zenSp2Sp, true},
        {u'W', &CliOptions::delRightWhiteSpace, true},
        {u'D', &CliOptions::delControlCode, true},
        {u'A', &CliOptions::controlCode2Space, true},
        {u'Q', &CliOptions::setts, true},
        {u'E', &CliOptions::repUseRegex, false},
        {u'P', &CliOptions::repICase, false},
        {u'G', &CliOptions::rep1Line, false},
        {u'N', &CliOptions::repMatchNotDotNewLine, false},
    };
    for (const Switch& s : kSwitches) {
      if (Upper(body[0]) != s.letter) continue;
      o->*s.field = 1;
      if (s.converting) o->conversionRequested = true;
      return true;
    }
  } else if (TakeValue(body, u"F", &value) || TakeValue(body, u"O", &value)) {
    bool input = Upper(body[0]) == u'F';
    if (value.empty()) {
      *error = CliError::kInvalidOption;
      return false;
    }
    uint32_t codePage = 0;
    int index = EncodingIndex(value, &codePage);
    if (index < 0) {
      *error = CliError::kInvalidEncoding;
      return false;
    }
    int32_t other = index == kEncodingOther ? static_cast<int32_t>(codePage) : 0;
    if (input) {
      o->charEncode = index;
      o->charEncodeOther = other;
    } else {
      o->writeEncode = index;
      o->writeEncodeOther = other;
      o->conversionRequested = true;
    }
    return true;
  } else if (TakeValue(body, u"M", &value) || TakeValue(body, u"L", &value)) {
    if (value.empty()) {
      *error = CliError::kInvalidOption;
      return false;
    }
    (Upper(body[0]) == u'M' ? o->insLfByte : o->insLfChar) = ReadDecimal(value);
    o->conversionRequested = true;
    return true;
  } else if (TakeValue(body, u"C", &value)) {
    if (value.empty()) {
      *error = CliError::kInvalidOption;
      return false;
    }
    int32_t way = EqualsIgnoringAsciiCase(value, u"LF")     ? 1
                  : EqualsIgnoringAsciiCase(value, u"CR")   ? 2
                  : EqualsIgnoringAsciiCase(value, u"CRLF") ? 3
                                                            : 0;
    if (way == 0) {
      *error = CliError::kInvalidNewline;
      return false;
    }
    o->crlfTrans = 1;
    o->crlfTransWay = way;
    o->conversionRequested = true;
    return true;
  } else if (TakeValue(body, u"T", &value)) {
    if (value.empty()) {
      *error = CliError::kInvalidOption;
      return false;
    }
    int32_t columns = ReadDecimal(value);
    if (columns < 1 || columns > 99) {
      *error = CliError::kInvalidTabCount;
      return false;
    }
    o->tab2Space = 1;
    o->tab2SpaceClm = columns;
    o->conversionRequested = true;
    return true;
  } else if (TakeValue(body, u"RB", &value)) {
    if (value.empty()) {
      *error = CliError::kInvalidOption;
      return false;
    }
    o->beforeReplace = WideText(value);
    if (o->afterReplace) o->conversionRequested = true;
    return true;
  } else if (TakeValue(body, u"RA", &value)) {
    o->afterReplace = WideText(value);  // may be empty: replace by nothing
    if (o->beforeReplace) o->conversionRequested = true;
    return true;
  }
  *error = CliError::kInvalidOption;
  return false;
}

}  // namespace

int32_t ReadDecimal(std::u16string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == u' ' || (text[i] >= u'\t' && text[i] <= u'\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  int64_t magnitude = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    magnitude = magnitude * 10 + (text[i] - u'0');
    if (magnitude > kLimit) magnitude = kLimit;
  }
  int64_t value = negative ? -magnitude : magnitude;
  if (value > std::numeric_limits<int32_t>::max()) value = std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(value);
}

bool WantsHelp(const std::vector<WideText>& args) {
  return args.empty() || args[0] == u"/?" || args[0] == u"-?" || args[0] == u"--help";
}

bool WantsVersion(const std::vector<WideText>& args) {
  return !args.empty() && args[0] == u"--version";
}

CliParse ParseCommandLine(const std::vector<WideText>& args) {
  CliParse result;
  size_t i = 0;
  for (; i < args.size(); ++i) {
    const WideText& arg = args[i];
    if (!IsOptionStart(arg)) break;
    if (arg == u"--") {
      ++i;
      break;
    }
    if (!ApplyOption(arg, &result.options, &result.error)) {
      result.offendingArgument = arg;
      return result;
    }
  }
  if (i >= args.size()) {
    result.error = CliError::kNoTarget;
    return result;
  }
  if (!result.options.conversionRequested) {
    result.error = CliError::kNoConversion;
    return result;
  }
  result.firstTarget = i;
  return result;
}
