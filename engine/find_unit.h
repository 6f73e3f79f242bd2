// Fast forward search for a UTF-16 unit, for the passes that only act at a few units
// (line ends, the first unit of a search text) and pass over everything in between.
#pragma once

// The first unit in [begin, end) equal to a or to b (a and b may be the same), or end.
const char16_t* FindEitherUnit(const char16_t* begin, const char16_t* end, char16_t a, char16_t b);
