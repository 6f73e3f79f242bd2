#include "engine/byte_order_mark.h"

#include "core/code_pages.h"

namespace {

using namespace std::string_view_literals;

constexpr ByteOrderMark kMarks[] = {
    {kCodePageUtf8, "\xEF\xBB\xBF"sv},
    {kCodePageUtf16Le, "\xFF\xFE"sv},
    {kCodePageUtf16Be, "\xFE\xFF"sv},
};

}  // namespace

const ByteOrderMark* FindByteOrderMark(std::string_view bytes) {
  for (const ByteOrderMark& mark : kMarks) {
    if (bytes.starts_with(mark.bytes)) return &mark;
  }
  return nullptr;
}

std::string_view ByteOrderMarkFor(uint32_t codePage) {
  for (const ByteOrderMark& mark : kMarks) {
    if (mark.codePage == codePage) return mark.bytes;
  }
  return {};
}
