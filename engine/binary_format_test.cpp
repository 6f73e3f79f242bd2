#include "engine/binary_format.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

// A minimal PE head: "MZ", the offset of the PE header at 0x3C, the header itself.
std::string PeHead(uint32_t offset, size_t size) {
  std::string head(size, '\0');
  head[0] = 'M';
  head[1] = 'Z';
  for (size_t i = 0; i < 4; ++i) head[0x3C + i] = static_cast<char>(offset >> (8 * i));
  if (size_t{offset} + 4 <= size) head.replace(offset, 4, "PE\0\0"s);
  return head;
}

TEST(BinaryFormatTest, EveryKnownFormatIsCaught) {
  const std::string heads[] = {
      "\x7F" "ELF\x02\x01\x01\0"s,
      PeHead(0x80, 0x200),
      "\xFE\xED\xFA\xCE\0\0\0\x07"s,
      "\xCE\xFA\xED\xFE\x07\0\0\0"s,
      "\xFE\xED\xFA\xCF\x01\0\0\x07"s,
      "\xCF\xFA\xED\xFE\x07\0\0\x01"s,
      "\xCA\xFE\xBA\xBE\0\0\0\x02"s,  // universal Mach-O, also a Java class
      "\xCA\xFE\xBA\xBF\0\0\0\x02"s,
      "!<arch>\ndebian-binary   "s,
      "PK\x03\x04\x14\0\0\0"s,
      "PK\x05\x06\0\0\0\0"s,
      "PK\x07\x08PK\x03\x04"s,
      "\x1F\x8B\x08\0\0\0\0\0"s,
      "BZh91AY&SY\x12\x34"s,
      "BZh1\x17\x72\x45\x38\x50\x90\0\0\0\0"s,
      "\xFD" "7zXZ\0\0\x04"s,
      "\x28\xB5\x2F\xFD\x24\x05"s,
      "7z\xBC\xAF\x27\x1C\0\x04"s,
      "Rar!\x1A\x07\0\xCF\x90"s,
      "Rar!\x1A\x07\x01\0\x33\x92"s,
      "%PDF-1.7\n%\xE2\xE3\xCF\xD3\n"s,
      "\x89PNG\r\n\x1A\n\0\0\0\rIHDR"s,
      "GIF87a\x01\0\x01\0"s,
      "GIF89a\x01\0\x01\0"s,
      "\xFF\xD8\xFF\xE0\0\x10JFIF"s,
      "RIFF\x24\0\0\0WEBPVP8 "s,
      "RIFF\x24\0\0\0WAVEfmt "s,
      "RIFF\x24\0\0\0" "AVI LIST"s,
      "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1\0\0"s,
      "SQLite format 3\0\x10\0"s,
      "\0asm\x01\0\0\0\x01\x04"s,
  };
  for (const std::string& head : heads) {
    EXPECT_TRUE(HasBinarySignature(head)) << "head of " << head.size() << " bytes: " << head;
  }
}

TEST(BinaryFormatTest, PeNeedsItsHeaderWithinTheBytesAtHand) {
  EXPECT_TRUE(HasBinarySignature(PeHead(0x40, 0x44)));
  EXPECT_FALSE(HasBinarySignature(PeHead(0x80, 0x82))) << "header cut off";
  EXPECT_FALSE(HasBinarySignature(PeHead(0xFFFFFFFE, 0x100))) << "offset + 4 wraps";
  EXPECT_FALSE(HasBinarySignature("MZ"s));
}

TEST(BinaryFormatTest, PlausibleTextsAreNotTaken) {
  const std::string texts[] = {
      "MZ is the mark of an old program format; its header's place is given at offset 60.\n"s,
      "PK rules\r\nand more\r\n"s,
      "BZh9 is how the stream starts, says the note.\n"s,
      "BZh91AY&SX almost\n"s,
      "GIF8 is short for nothing\n"s,
      "GIF89 without a letter\n"s,
      "RIFF\x24\0\0\0TEXTmore"s,  // an unknown form
      "%PDF is not a version\n"s,
      "!<arch> without its line end"s,
      "\xEF\xBB\xBFMZ with a mark\r\n"s,
      "\xFF\xFEM\0Z\0 \0"s,              // UTF-16 LE with mark
      "\xFE\xFF\0M\0Z\0 "s,              // UTF-16 BE with mark
      "M\0Z\0 \0i\0s\0"s,                // UTF-16 LE without mark
      "\0P\0K\0 \0r"s,                   // UTF-16 BE without mark
      "\xE3\x81\x82\xE3\x81\x84\r\n"s,   // UTF-8 without mark
      "\x82\xA0\x82\xA2\r\n"s,           // Shift-JIS
      ""s,
  };
  for (const std::string& text : texts) {
    EXPECT_FALSE(HasBinarySignature(text)) << text;
  }
}

}  // namespace
