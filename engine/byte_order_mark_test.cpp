#include "engine/byte_order_mark.h"

#include <gtest/gtest.h>

#include <string>

#include "core/code_pages.h"

namespace {

TEST(ByteOrderMarkTest, WhatIsWrittenIsFoundAgain) {
  // The writer's mark for a code page must lead the reader back to the same code page,
  // with nothing of the content taken for part of the mark.
  for (const uint32_t codePage : {kCodePageUtf8, kCodePageUtf16Le, kCodePageUtf16Be}) {
    const std::string_view written = ByteOrderMarkFor(codePage);
    ASSERT_FALSE(written.empty()) << codePage;
    const std::string file = std::string(written) + "x";
    const ByteOrderMark* found = FindByteOrderMark(file);
    ASSERT_NE(found, nullptr) << codePage;
    EXPECT_EQ(found->codePage, codePage);
    EXPECT_EQ(found->bytes.size(), written.size());
  }
  for (const uint32_t codePage : {kCodePageShiftJis, kCodePageUtf7, kCodePageEucJp, 0u}) {
    EXPECT_TRUE(ByteOrderMarkFor(codePage).empty()) << codePage;
  }
}

TEST(ByteOrderMarkTest, OnlyAWholeMarkAtTheStartCounts) {
  EXPECT_EQ(FindByteOrderMark(""), nullptr);
  EXPECT_EQ(FindByteOrderMark("\xEF\xBB"), nullptr) << "a cut UTF-8 mark";
  EXPECT_EQ(FindByteOrderMark("\xFF"), nullptr);
  EXPECT_EQ(FindByteOrderMark("a\xEF\xBB\xBF"), nullptr) << "not at the start";
  EXPECT_EQ(FindByteOrderMark("\xFE\xFE"), nullptr);
  // FF FE 00 00 stays UTF-16 LE: the reader has always read it so.
  const ByteOrderMark* found = FindByteOrderMark(std::string("\xFF\xFE\0\0", 4));
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->codePage, kCodePageUtf16Le);
}

}  // namespace
