#include <cstddef>

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

  if (size + inserts > text.capacity()) {
    // No room to grow in place: build the result once, at its final size, in a fresh
    // buffer rather than letting the string reallocate and copy before the fill.
    WideText result;
    ReserveLarge(result, size + inserts);
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

  text.resize(size + inserts);
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

// A CR LF loses its CR, any other CR becomes LF.
bool ToLf(WideText& text) {
  const size_t size = text.size();
  size_t write = 0;
  bool changed = false;
  for (size_t read = 0; read < size; ++read) {
    const char16_t unit = text[read];
    if (unit == u'\r') {
      changed = true;
      if (read + 1 < size && text[read + 1] == u'\n') continue;
      text[write++] = u'\n';
    } else {
      text[write++] = unit;
    }
  }
  text.resize(write);
  return changed;
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
    case 0:
      return ToCrLf(text);
    case 1:
      return ToLf(text);
    case 2:
      return ToCr(text);
    default:
      return false;
  }
}
