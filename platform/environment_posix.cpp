#include "platform/environment.h"

#include <stdlib.h>

bool GetEnvironmentText(const char* name, WideText* value) {
  const char* text = getenv(name);
  if (!text) return false;
  *value = WideFromUtf8(text);
  return true;
}

bool SystemLanguageIsJapanese() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = getenv(name);
    if (value && *value) return value[0] == 'j' && value[1] == 'a';
  }
  return false;
}

void SplitTargetPath(std::u16string_view target, WideText* folder, WideText* fileName) {
  size_t slash = target.rfind(u'/');
  size_t cut = slash == std::u16string_view::npos ? 0 : slash + 1;
  folder->assign(target.substr(0, cut));
  fileName->assign(target.substr(cut));
}

bool ProgramNameSelectsIni(std::u16string_view path) {
  std::u16string_view name = path.substr(path.rfind(u'/') + 1);
  return name.size() >= 3 && name[name.size() - 2] == u'_' &&
         (name.back() == u'o' || name.back() == u'O');
}
