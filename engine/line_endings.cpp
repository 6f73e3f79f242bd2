#include <cstddef>
#include <string>

#include "core/job_options.h"
#include "engine/find_unit.h"
#include "engine/large_buffer.h"
#include "engine/transformations.h"

namespace {

// Every lone LF gets a CR before it and every lone CR an LF after it. The text grows
// once and is filled from the back.
bool ToCrLf(WideText& text) {
  const size_t size = text.size();
  size_t inserts = 0;
  for (size_t i = 0; i < size; ++i) {
    if (text[i] == u'\n') {
      inserts += i == 0 || text[i - 1] != u'\r';
    } else if (text[i] == u'\r') {
      inserts += i + 1 == size || text[i + 1] != u'\n';
    }
  }
  if (inserts == 0) return false;

  const size_t grown = static_cast<size_t>(GrownSize(size, inserts, 1));
  if (grown > text.capacity()) {
    // No room to grow in place: build the result once, at its final size, in a fresh
    // buffer rather than letting the string reallocate and copy before the fill.
    WideText result;
    ReserveLarge(result, grown);
    const char16_t* data = text.data();
    size_t copied = 0;
    for (size_t i = 0; i < size; ++i) {
      const char16_t unit = data[i];
      if (unit == u'\n') {
        if (i == 0 || data[i - 1] != u'\r') {
          result.append(data + copied, i - copied);
          result += u'\r';
          copied = i;
        }
      } else if (unit == u'\r' && (i + 1 == size || data[i + 1] != u'\n')) {
        result.append(data + copied, i + 1 - copied);
        result += u'\n';
        copied = i + 1;
      }
    }
    result.append(data + copied, size - copied);
    text.swap(result);
    return true;
  }

  text.resize(grown);
  size_t read = size;
  size_t write = text.size();
  // The original unit after text[read] (0 past the end); the buffer there may already
  // hold output.
  char16_t next = 0;
  while (read != write) {
    const char16_t unit = text[--read];
    if (unit == u'\n') {
      text[--write] = u'\n';
      if (read == 0 || text[read - 1] != u'\r') text[--write] = u'\r';
    } else if (unit == u'\r') {
      if (next != u'\n') text[--write] = u'\n';
      text[--write] = u'\r';
    } else {
      text[--write] = unit;
    }
    next = unit;
  }
  return true;
}

// A CR LF loses its CR, any other CR becomes LF. The pass jumps from CR to CR; nothing
// is written before the first one, and from then on each stretch between two CRs moves
// down once.
bool ToLf(WideText& text) {
  char16_t* const data = text.data();
  const size_t size = text.size();
  size_t write = 0;
  size_t copied = 0;  // the units from here on are still the original ones
  bool changed = false;
  for (size_t at = 0;; ++at) {
    at = static_cast<size_t>(FindEitherUnit(data + at, data + size, u'\r', u'\r') - data);
    if (at == size) break;
    changed = true;
    if (write != copied) std::char_traits<char16_t>::move(data + write, data + copied, at - copied);
    write += at - copied;
    if (at + 1 < size && data[at + 1] == u'\n') {
      copied = at + 1;  // the LF stays, the CR goes
    } else {
      data[write++] = u'\n';
      copied = at + 1;
    }
  }
  if (!changed) return false;
  if (write != copied) std::char_traits<char16_t>::move(data + write, data + copied, size - copied);
  text.resize(write + size - copied);
  return true;
}

// A CR LF loses its LF, any other LF becomes CR.
bool ToCr(WideText& text) {
  const size_t size = text.size();
  size_t write = 0;
  bool changed = false;
  // The original unit before text[read]; the buffer there may already hold output.
  char16_t previous = 0;
  for (size_t read = 0; read < size; ++read) {
    const char16_t unit = text[read];
    if (unit == u'\n') {
      changed = true;
      if (previous != u'\r') text[write++] = u'\r';
    } else {
      text[write++] = unit;
    }
    previous = unit;
  }
  text.resize(write);
  return changed;
}

}  // namespace

bool UnifyLineEndings(WideText& text, int16_t kind) {
  switch (kind) {
    case kLineEndingCrLf:
      return ToCrLf(text);
    case kLineEndingLf:
      return ToLf(text);
    case kLineEndingCr:
      return ToCr(text);
    default:
      return false;
  }
}
