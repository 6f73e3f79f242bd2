// The version text of the About box, made from the strings of the program's version
// resource.
#pragma once

#include <optional>
#include <string_view>

#include "core/wide_text.h"

// The entries of the version resource's string table; a missing entry is empty.
struct VersionStrings {
  WideText fileVersion;
  WideText fileDescription;
  WideText specialBuild;
  WideText legalCopyright;
  WideText privateBuild;
};

// The four numbers of a FileVersion "a.b.c.d". Trailing parts that are missing count as 0
// ("1.0.0" is 1.0.0.0); null when it does not start with a number.
struct FileVersionNumbers {
  unsigned major = 0, minor = 0, release = 0, build = 0;
};
std::optional<FileVersionNumbers> ParseFileVersion(std::u16string_view text);

// "<title> ver.1.50.02<special> [<private>] (x64)", then the description and the
// copyright on lines of their own. In Japanese a special build "beta" is shown as "β" and
// "alpha" as "α". Null when the FileVersion cannot be read.
std::optional<WideText> FormatVersionText(bool japanese, std::u16string_view title,
                                          const VersionStrings& strings);

// The text up to its first code unit below U+0020, looked for in the first `limit` units.
std::u16string_view FirstLine(std::u16string_view text, size_t limit);
