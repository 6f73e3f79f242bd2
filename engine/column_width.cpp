#include "engine/column_width.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "engine/codec/codec.h"

namespace {

// 0 = not asked yet, otherwise the width (1 or 2). Atomic so that several worker
// threads may read and fill it without a data race; a unit asked twice by two threads
// at once gets the same answer both times.
std::atomic<uint8_t> g_widths[0x10000];

// Guards the converter, which is created on first need and kept for the process. A
// null converter (creation failed) makes every width 1.
std::mutex g_codecMutex;
std::unique_ptr<Codec> g_codec;
bool g_codecTried = false;

int AskConverter(char16_t unit) {
  // A lone surrogate half is no character at all; code page 932 cannot write it.
  if (unit >= 0xD800 && unit <= 0xDFFF) return 1;
  std::lock_guard<std::mutex> lock(g_codecMutex);
  if (!g_codecTried) {
    g_codecTried = true;
    uint32_t failure = 0;
    g_codec = CreateSystemCodec(&failure);
  }
  if (!g_codec) return 1;
  return g_codec->BytesIn932(unit) == 2 ? 2 : 1;
}

}  // namespace

int ColumnWidth(char16_t unit) {
  std::atomic<uint8_t>& slot = g_widths[unit];
  uint8_t width = slot.load(std::memory_order_relaxed);
  if (width == 0) {
    width = static_cast<uint8_t>(AskConverter(unit));
    slot.store(width, std::memory_order_relaxed);
  }
  return width;
}
