// The Japanese dialog's feedback banner (control 1030) shows on about one start in seven.
#pragma once

#include <cstdint>

// True when the banner is to be shown: Japanese interface and a millisecond tick count at
// start-up divisible by 7. The English dialog has no banner.
inline bool ShouldShowBanner(bool japanese, uint32_t ticks) { return japanese && ticks % 7 == 0; }
