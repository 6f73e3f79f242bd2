#include "platform/native_path.h"

WideText PathForDisplay(const NativePath& path) { return WideFromUtf8(path); }

NativePath PathFromWide(std::u16string_view text) { return Utf8FromWide(text); }

NativePath AppendSuffix(const NativePath& path, std::string_view asciiSuffix) {
  NativePath result;
  result.reserve(path.size() + asciiSuffix.size());
  result.append(path);
  result.append(asciiSuffix);
  return result;
}
