#include "engine/codec/iso2022jp_decoder.h"

#include "engine/large_buffer.h"

namespace {

constexpr unsigned char kEsc = 0x1B;
constexpr unsigned char kShiftOut = 0x0E;  // SO: half-width katakana until SI
constexpr unsigned char kShiftIn = 0x0F;

// What bytes 21..7E stand for.
enum class Set { kAscii, kKatakana, kTwoByte };

struct Escape {
  std::string_view bytes;  // after ESC
  Set set;
  bool designatesG1;  // ESC ) I: names the set SO shifts to, changes nothing now
};
constexpr Escape kEscapes[] = {
    {"(B", Set::kAscii, false},    {"(J", Set::kAscii, false},
    {"(I", Set::kKatakana, false}, {"$@", Set::kTwoByte, false},
    {"$B", Set::kTwoByte, false},  {"$(@", Set::kTwoByte, false},
    {"$(B", Set::kTwoByte, false}, {")I", Set::kKatakana, true},
};

struct Mode {
  Set set = Set::kAscii;  // G0, named by ESC ( and ESC $
  bool shiftedOut = false;

  // The set that bytes 21..7E stand for.
  Set InForce() const { return shiftedOut ? Set::kKatakana : set; }
};

bool InPairRange(unsigned char byte) { return byte >= 0x21 && byte <= 0x7E; }

// A JIS X 0208 row and cell (each 21..7E) as the Shift-JIS pair of the same character.
void AppendShiftJisPair(unsigned char row, unsigned char cell, std::string* out) {
  const unsigned lead = (row + 1u) / 2 + (row <= 0x5E ? 0x70 : 0xB0);
  unsigned trail = cell + 0x7Eu;  // even rows take the upper half of the trail bytes
  if (row & 1) trail = cell + (cell <= 0x5F ? 0x1Fu : 0x20u);  // skipping 7F
  out->push_back(static_cast<char>(lead));
  out->push_back(static_cast<char>(trail));
}

}  // namespace

bool IsIso2022JpPage(uint32_t codePage) { return codePage >= 50220 && codePage <= 50222; }

bool Iso2022JpToShiftJis(std::string_view bytes, std::string* shiftJis) {
  std::string out;
  ReserveLarge(out, bytes.size());
  // The state as read by a decoder that keeps it over line ends, and as read by one that
  // goes back to ASCII (and SI) at every line end. A byte 21..7E must mean the same to
  // both.
  Mode kept;
  Mode reset;
  const size_t size = bytes.size();
  for (size_t i = 0; i < size;) {
    const unsigned char byte = static_cast<unsigned char>(bytes[i]);
    if (byte >= 0x80) return false;
    if (byte == kEsc) {
      const Escape* found = nullptr;
      for (const Escape& escape : kEscapes) {
        if (bytes.substr(i + 1, escape.bytes.size()) == escape.bytes) {
          found = &escape;
          break;
        }
      }
      if (found == nullptr) return false;
      i += 1 + found->bytes.size();
      if (!found->designatesG1) kept.set = reset.set = found->set;
      continue;
    }
    if (byte == kShiftOut || byte == kShiftIn) {
      kept.shiftedOut = reset.shiftedOut = byte == kShiftOut;
      ++i;
      continue;
    }
    if (!InPairRange(byte)) {  // control codes, space and DEL stand for themselves
      if (byte == '\r' || byte == '\n') reset = Mode{};
      out.push_back(static_cast<char>(byte));
      ++i;
      continue;
    }
    const Set set = kept.InForce();
    if (set != reset.InForce()) return false;
    if (set == Set::kAscii) {
      out.push_back(static_cast<char>(byte));
      ++i;
    } else if (set == Set::kKatakana) {
      if (byte > 0x5F) return false;
      out.push_back(static_cast<char>(byte + 0x80));  // A1..DF in Shift-JIS
      ++i;
    } else {
      if (i + 1 == size) return false;
      const unsigned char cell = static_cast<unsigned char>(bytes[i + 1]);
      if (!InPairRange(cell)) return false;
      AppendShiftJisPair(byte, cell, &out);
      i += 2;
    }
  }
  *shiftJis = std::move(out);
  return true;
}
