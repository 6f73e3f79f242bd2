// The dialog's controls held in memory: console mode without a window, and the tests.
#pragma once

#include <map>
#include <vector>

#include "core/dialog_controls.h"

class MemoryControls : public DialogControls {
 public:
  WideText GetText(int id) const override;
  void SetText(int id, std::u16string_view text) override;
  bool IsChecked(int id) const override;
  void SetChecked(int id, bool checked) override;
  int GetSelection(int id) const override;
  void SetSelection(int id, int position) override;
  bool IsEnabled(int id) const override;
  void SetEnabled(int id, bool enabled) override;
  void AddListItem(int id, std::u16string_view text) override;

  const std::vector<WideText>& ListItems(int id) const;

 private:
  struct Control {
    WideText text;
    bool checked = false;
    bool enabled = true;
    int selection = -1;
    std::vector<WideText> items;
  };
  const Control* Find(int id) const;
  std::map<int, Control> controls_;
};
