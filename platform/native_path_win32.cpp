#include "platform/native_path.h"

// On Windows a file name is UTF-16 already; wchar_t and char16_t hold the same units.

WideText PathForDisplay(const NativePath& path) {
  return WideText(path.begin(), path.end());
}

NativePath PathFromWide(std::u16string_view text) {
  return NativePath(text.begin(), text.end());
}

NativePath AppendSuffix(const NativePath& path, std::string_view asciiSuffix) {
  NativePath result = path;
  result.reserve(path.size() + asciiSuffix.size());
  for (char c : asciiSuffix) {
    result.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
  }
  return result;
}
