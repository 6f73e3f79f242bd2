#include "platform/environment.h"

#include <windows.h>

#include <string>

bool GetEnvironmentText(const char* name, WideText* value) {
  std::wstring wideName(name, name + strlen(name));
  DWORD size = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
  if (size == 0) return GetLastError() != ERROR_ENVVAR_NOT_FOUND && (value->clear(), true);
  std::wstring buffer(size, L'\0');
  DWORD length = GetEnvironmentVariableW(wideName.c_str(), buffer.data(), size);
  if (length >= size) return false;
  value->assign(buffer.begin(), buffer.begin() + length);
  return true;
}

bool SystemLanguageIsJapanese() {
  return (GetSystemDefaultLangID() & 0x3FF) == LANG_JAPANESE;
}

void SplitTargetPath(std::u16string_view target, WideText* folder, WideText* fileName) {
  size_t drive = target.size() >= 2 && target[1] == u':' ? 2 : 0;
  size_t slash = target.find_last_of(u"\\/");
  size_t cut = slash == std::u16string_view::npos || slash < drive ? drive : slash + 1;
  folder->assign(target.substr(0, cut));
  fileName->assign(target.substr(cut));
}

bool ProgramNameSelectsIni(std::u16string_view path) {
  if (path.size() <= 7) return false;
  std::u16string_view end = path.substr(path.size() - 6);
  auto is = [](char16_t c, char16_t lower) { return c == lower || c == lower - 32; };
  return end[0] == u'_' && is(end[1], u'o') && end[2] == u'.' && is(end[3], u'e') &&
         is(end[4], u'x') && is(end[5], u'e');
}
