#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "core/job_options.h"
#include "engine/large_buffer.h"
#include "engine/transformations.h"

bool InsertLineBreaks(WideText& text, uint32_t n, int16_t kind) {
  if (n == 0) return false;
  std::u16string_view ending;
  switch (kind) {
    case kLineEndingCrLf:
      ending = u"\r\n";
      break;
    case kLineEndingLf:
      ending = u"\n";
      break;
    case kLineEndingCr:
      ending = u"\r";
      break;
    default:
      return false;
  }

  // The k-th ending (k = 1, 2, ...) goes after n * k + L original units, and only while
  // units follow it: n * k + L < size. Counting them first lets the text grow once.
  const uint64_t size = text.size();
  const uint64_t length = ending.size();
  if (size <= length) return false;
  const uint64_t count = (size - length - 1) / n;
  if (count == 0) return false;

  text.resize(static_cast<size_t>(GrownSize(size, count, length)));
  // Fill from the back: the tail after the last ending, then each ending and the n
  // units before it. The first n + L units stay where they are.
  auto end = text.begin() + static_cast<size_t>(size);
  auto write = text.end();
  for (uint64_t k = count; k >= 1; --k) {
    auto begin = text.begin() + static_cast<size_t>(n * k + length);
    write = std::copy_backward(begin, end, write);
    write = std::copy_backward(ending.begin(), ending.end(), write);
    end = begin;
  }
  return true;
}
