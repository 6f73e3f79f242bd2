// The text of the About box's description box: what the program does and its terms of
// use, in the interface language.
#pragma once

const char16_t* AboutDescription();
