#include "core/process_flags.h"

bool japaneseUi = true;
bool consoleMode = false;
bool useIniStore = false;
bool copySettingsMode = false;

std::u16string_view ProductTitle() {
  return japaneseUi ? u"タイドライト" : u"Tidewright";
}
