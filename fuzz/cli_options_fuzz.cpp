// Parses fuzzed command lines (arguments separated by LF, in UTF-8) as quillonc does and
// checks what a caller relies on: a line taken without an error has a target, asks for
// a conversion and holds only values the settings accept; an error names its argument.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "core/encoding_catalogue.h"

namespace {

void Fail(const char* what) {
  fprintf(stderr, "cli_options_fuzz: %s\n", what);
  abort();
}

bool IsEncodingIndex(int32_t index, int32_t other) {
  if (index < 0 || index > kEncodingOther) return false;
  return index == kEncodingOther ? other > 0 : other == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<WideText> args;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (size_t start = 0; start <= text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    args.push_back(WideFromUtf8(text.substr(start, end - start)));
    start = end + 1;
  }

  (void)WantsHelp(args);
  const CliParse parse = ParseCommandLine(args);
  const CliOptions& o = parse.options;
  switch (parse.error) {
    case CliError::kNone:
      if (parse.firstTarget >= args.size()) Fail("no target");
      if (parse.firstTarget > 0 && args[parse.firstTarget - 1] != u"--" &&
          !args[parse.firstTarget].empty() &&
          (args[parse.firstTarget][0] == u'/' || args[parse.firstTarget][0] == u'-')) {
        Fail("an option taken for a target");
      }
      if (!o.conversionRequested) Fail("nothing to convert");
      if (!IsEncodingIndex(o.charEncode, o.charEncodeOther) ||
          !IsEncodingIndex(o.writeEncode, o.writeEncodeOther)) {
        Fail("an encoding outside the list");
      }
      if (o.crlfTransWay < 0 || o.crlfTransWay > 3 || (o.crlfTrans != 0) != (o.crlfTransWay != 0)) {
        Fail("a line ending outside the list");
      }
      if (o.tab2SpaceClm < 1 || o.tab2SpaceClm > 99) Fail("a TAB width outside 1..99");
      if (o.beforeReplace && o.beforeReplace->empty()) Fail("an empty search text");
      break;
    case CliError::kInvalidOption:
    case CliError::kInvalidEncoding:
    case CliError::kInvalidNewline:
    case CliError::kInvalidTabCount:
      if (parse.offendingArgument.empty()) Fail("an error without its argument");
      break;
    case CliError::kNoTarget:
    case CliError::kNoConversion:
      break;
  }
  // Every line holds a number the way strtol reads one.
  for (const WideText& arg : args) (void)ReadDecimal(arg);
  return 0;
}
