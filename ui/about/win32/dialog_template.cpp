#include "ui/about/win32/dialog_template.h"

namespace {

// Offset of the item count in the DLGTEMPLATE header, in WORDs: style, extended style.
constexpr size_t kCountOffset = 4;
constexpr WORD kClassAtomMarker = 0xFFFF;
constexpr WORD kStaticAtom = 0x0082;

}  // namespace

void DialogTemplate::Put(WORD word) {
  if (used_ >= limit_) {
    overflow_ = true;
    return;
  }
  block_[used_++] = word;
}

void DialogTemplate::PutDword(DWORD value) {
  Put(LOWORD(value));
  Put(HIWORD(value));
}

void DialogTemplate::PutText(std::u16string_view text) {
  for (char16_t unit : text) Put(static_cast<WORD>(unit));
  Put(0);
}

void DialogTemplate::AlignDword() {
  if (used_ % 2 != 0) Put(0);
}

void DialogTemplate::SetDialog(DWORD style, short width, short height,
                               std::u16string_view caption, WORD pointSize,
                               std::u16string_view font) {
  used_ = 0;
  PutDword(style | DS_SETFONT);
  PutDword(0);  // extended style
  Put(0);       // number of controls, counted by AddControl
  Put(0);       // x
  Put(0);       // y
  Put(static_cast<WORD>(width));
  Put(static_cast<WORD>(height));
  Put(0);  // no menu
  Put(0);  // the standard dialog class
  PutText(caption);
  Put(pointSize);
  PutText(font);
}

void DialogTemplate::StartControl(WORD id, DWORD style, DWORD extendedStyle, short x, short y,
                                  short width, short height) {
  AlignDword();
  PutDword(style);
  PutDword(extendedStyle);
  Put(static_cast<WORD>(x));
  Put(static_cast<WORD>(y));
  Put(static_cast<WORD>(width));
  Put(static_cast<WORD>(height));
  Put(id);
  if (!overflow_) ++block_[kCountOffset];
}

void DialogTemplate::AddControl(WORD id, std::u16string_view className, DWORD style,
                                DWORD extendedStyle, short x, short y, short width,
                                short height, std::u16string_view text) {
  StartControl(id, style, extendedStyle, x, y, width, height);
  PutText(className);
  PutText(text);
  Put(0);  // no creation data
}

void DialogTemplate::AddIcon(WORD id, DWORD style, short x, short y, short width, short height,
                             WORD iconId) {
  StartControl(id, style, 0, x, y, width, height);
  Put(kClassAtomMarker);
  Put(kStaticAtom);
  Put(kClassAtomMarker);  // the text is a resource ordinal
  Put(iconId);
  Put(0);
}

const DLGTEMPLATE* DialogTemplate::get() const {
  if (overflow_) return nullptr;
  return reinterpret_cast<const DLGTEMPLATE*>(block_.data());
}
