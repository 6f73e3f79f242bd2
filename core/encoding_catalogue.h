// The list of character encodings shared by the dialog, the engine and the command line.
#pragma once

#include <cstdint>
#include <string_view>

struct EncodingEntry {
  const char16_t* displayName;  // nullptr marks the end of the table
  uint32_t codePage;            // 0 for the detect / same-as-read entry and the typed entry
};

inline constexpr int kEncodingCount = 10;
// Entry 0: automatic detection in the input list, the code page read in the output list.
inline constexpr int16_t kEncodingAutomatic = 0;
inline constexpr int16_t kEncodingSameAsRead = 0;
// Entries 1 to 8 name their code page (CatalogueCodePage).
inline constexpr int16_t kEncodingFirstNamed = 1;
inline constexpr int16_t kEncodingLastNamed = 8;
// Entry 9: the code page typed beside the list.
inline constexpr int16_t kEncodingOther = 9;

inline constexpr bool IsNamedEncoding(int index) {
  return index >= kEncodingFirstNamed && index <= kEncodingLastNamed;
}

// Ten entries followed by an end marker.
extern const EncodingEntry EncodingTable[kEncodingCount + 1];

// Text of entry 0 in the input and output lists, in the interface language.
const char16_t* InputListAutoText();
const char16_t* OutputListSameText();

// The code page of a catalogue index 1..8; 0 for any other index.
uint32_t CatalogueCodePage(int index);

// Maps an encoding name of the command line to an index: 0..8 for a known name,
// 9 for a positive number (stored in *otherCodePage), -1 for anything else.
int ParseEncodingName(std::string_view name, uint32_t* otherCodePage);
