#include "core/dialog_controls.h"

uint32_t ReadNumberEdit(const DialogControls& controls, int id) {
  WideText text = controls.GetText(id);
  size_t i = 0;
  while (i < text.size() && text[i] == u' ') ++i;
  if (i == text.size()) return 0;
  uint64_t value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < u'0' || text[i] > u'9') return 0;
    value = value * 10 + (text[i] - u'0');
    if (value > UINT32_MAX) return 0;
  }
  return static_cast<uint32_t>(value);
}
