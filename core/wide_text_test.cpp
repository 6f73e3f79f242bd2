#include "core/wide_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Utf16LeBytes, LowByteFirstForEveryUnit) {
  // The settings tests build their expected bytes with this function, so its own bytes
  // are checked here against literal ones: ASCII, a unit with both bytes set, a
  // surrogate pair, a NUL and the highest unit.
  const std::u16string text(u"A\u3042\U0001F600\0\uFFFF", 6);
  EXPECT_EQ(Utf16LeBytes(text), std::string("A\0\x42\x30\x3D\xD8\x00\xDE\0\0\xFF\xFF", 12));
  EXPECT_EQ(Utf16LeBytes(u""), "");
}

}  // namespace
