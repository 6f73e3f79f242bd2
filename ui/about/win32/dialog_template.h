// A dialog template written into a fixed block of memory, for a dialog that has no
// resource of its own.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string_view>
#include <vector>

class DialogTemplate {
 public:
  // A zero-filled block of `bytes` bytes.
  explicit DialogTemplate(size_t bytes) : block_(bytes / sizeof(WORD), 0) {}

  // The dialog itself: style, size, caption and font (DS_SETFONT is added). Call once,
  // before the controls.
  void SetDialog(DWORD style, short width, short height, std::u16string_view caption,
                 WORD pointSize, std::u16string_view font);
  // One control; `className` is the window class, `text` its initial text.
  void AddControl(WORD id, std::u16string_view className, DWORD style, DWORD extendedStyle,
                  short x, short y, short width, short height, std::u16string_view text);
  // A static icon control showing the icon resource `iconId` of the dialog's module.
  void AddIcon(WORD id, DWORD style, short x, short y, short width, short height, WORD iconId);

  // The template; null when the controls did not fit into the block.
  const DLGTEMPLATE* get() const;

 private:
  void Put(WORD word);
  void PutDword(DWORD value);
  void PutText(std::u16string_view text);
  void AlignDword();
  void StartControl(WORD id, DWORD style, DWORD extendedStyle, short x, short y, short width,
                    short height);

  std::vector<WORD> block_;
  size_t used_ = 0;  // in WORDs
  size_t limit_ = block_.size();
  bool overflow_ = false;
};
