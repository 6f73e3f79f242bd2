#include "core/memory_controls.h"

const MemoryControls::Control* MemoryControls::Find(int id) const {
  auto it = controls_.find(id);
  return it == controls_.end() ? nullptr : &it->second;
}

WideText MemoryControls::GetText(int id) const {
  const Control* c = Find(id);
  return c ? c->text : WideText();
}

void MemoryControls::SetText(int id, std::u16string_view text) { controls_[id].text = text; }

bool MemoryControls::IsChecked(int id) const {
  const Control* c = Find(id);
  return c && c->checked;
}

void MemoryControls::SetChecked(int id, bool checked) { controls_[id].checked = checked; }

int MemoryControls::GetSelection(int id) const {
  const Control* c = Find(id);
  return c ? c->selection : -1;
}

void MemoryControls::SetSelection(int id, int position) {
  Control& c = controls_[id];
  c.selection = position >= 0 && position < static_cast<int>(c.items.size()) ? position : -1;
}

bool MemoryControls::IsEnabled(int id) const {
  const Control* c = Find(id);
  return !c || c->enabled;
}

void MemoryControls::SetEnabled(int id, bool enabled) { controls_[id].enabled = enabled; }

void MemoryControls::AddListItem(int id, std::u16string_view text) {
  controls_[id].items.emplace_back(text);
}

const std::vector<WideText>& MemoryControls::ListItems(int id) const {
  static const std::vector<WideText> none;
  const Control* c = Find(id);
  return c ? c->items : none;
}
