// Disabled texts, check boxes, radio buttons and group boxes drawn by the program while the
// dark theme is on: the system draws their disabled state in a grey that cannot be read on
// the dark background.
#pragma once

#include <windows.h>

// Subclasses the dialog's static texts (left, centred or right) and its buttons that are
// not push buttons. Their disabled look follows darkTheme from then on.
void SubclassForDisabledPainting(HWND dialog);
