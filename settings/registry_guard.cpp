#include "settings/registry_guard.h"

#include "platform/message_host.h"

void ShowRegistryGuard(const GuardText& text, bool japanese) {
  CurrentMessageHost().ShowMessageBox(japanese ? text.japanese : text.english,
                                      u"Registory Class", kBoxIconWarning);
}
