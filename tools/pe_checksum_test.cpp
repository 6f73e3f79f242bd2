#include "tools/pe_checksum.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/test_support.h"

namespace {

void Put16(std::string& image, size_t at, uint32_t value) {
  image[at] = static_cast<char>(value);
  image[at + 1] = static_cast<char>(value >> 8);
}

void Put32(std::string& image, size_t at, uint32_t value) {
  Put16(image, at, value);
  Put16(image, at + 2, value >> 16);
}

// The smallest header that names a checksum field: "MZ", the pointer at 0x3C to "PE\0\0"
// at 0x40, the optional header's kind at 0x58; the field is at 0x98. Everything else 0.
std::string MinimalImage(size_t size, uint32_t magic = 0x20B) {
  std::string image(size, '\0');
  image[0] = 'M';
  image[1] = 'Z';
  Put32(image, 0x3C, 0x40);
  image.replace(0x40, 4, std::string("PE\0\0", 4));
  Put16(image, 0x58, magic);
  return image;
}

constexpr size_t kField = 0x98;
// The header's words: 0x5A4D + 0x0040 + 0x4550 + 0x020B.
constexpr uint32_t kHeaderSum = 0xA1E8;

TEST(PeChecksum, FindsTheFieldOfBothHeaderKinds) {
  EXPECT_EQ(PeChecksumOffset(MinimalImage(0x100)), kField);
  EXPECT_EQ(PeChecksumOffset(MinimalImage(0x100, 0x10B)), kField);
  // The field's last byte is the image's last byte.
  EXPECT_EQ(PeChecksumOffset(MinimalImage(kField + 4)), kField);
}

TEST(PeChecksum, RejectsWhatIsNoImage) {
  EXPECT_EQ(PeChecksumOffset(""), std::nullopt);
  EXPECT_EQ(PeChecksumOffset(std::string(0x100, 'x')), std::nullopt);
  std::string image = MinimalImage(0x100);
  image[0] = 'Z';
  EXPECT_EQ(PeChecksumOffset(image), std::nullopt) << "no MZ";
  image = MinimalImage(0x100);
  image[0x41] = 'X';
  EXPECT_EQ(PeChecksumOffset(image), std::nullopt) << "no PE signature";
  image = MinimalImage(0x100, 0x107);
  EXPECT_EQ(PeChecksumOffset(image), std::nullopt) << "unknown optional header";
  EXPECT_EQ(PeChecksumOffset(MinimalImage(kField + 3)), std::nullopt) << "field cut short";
  for (uint32_t pointer : {0x100u, 0xFFFFFFF0u, 0xFFFFFFFFu}) {
    image = MinimalImage(0x100);
    Put32(image, 0x3C, pointer);
    EXPECT_EQ(PeChecksumOffset(image), std::nullopt) << "signature beyond the end: " << pointer;
  }
}

TEST(PeChecksum, SumsWordsLittleEndianPlusTheLength) {
  EXPECT_EQ(ComputePeChecksum(MinimalImage(0x100), kField), kHeaderSum + 0x100);
  // An odd last byte is a word of its own, as the low byte.
  std::string odd = MinimalImage(0x101);
  odd[0x100] = 1;
  EXPECT_EQ(ComputePeChecksum(odd, kField), kHeaderSum + 1 + 0x101);
  // Words of 0xFFFF carry out of 16 bits and fold back: adding them changes nothing.
  std::string carries = MinimalImage(0x100);
  Put32(carries, 0xA0, 0xFFFFFFFF);
  EXPECT_EQ(ComputePeChecksum(carries, kField), kHeaderSum + 0x100);
  std::string high = MinimalImage(0x100);
  Put16(high, 0xA0, 0xFFFF - kHeaderSum + 0x10);  // the sum passes 0xFFFF by 0x10
  EXPECT_EQ(ComputePeChecksum(high, kField), 0x10u + 0x100);
}

TEST(PeChecksum, TheStoredFieldCountsAsZero) {
  std::string image = MinimalImage(0x100);
  Put32(image, kField, 0x12345678);
  EXPECT_EQ(ComputePeChecksum(image, kField), kHeaderSum + 0x100);
  // Stamping twice gives the same stamp.
  ASSERT_TRUE(StampPeChecksum(image));
  std::string once = image;
  ASSERT_TRUE(StampPeChecksum(image));
  EXPECT_EQ(image, once);
}

TEST(PeChecksum, AnyChangedByteShowsAfterStamping) {
  std::string image = MinimalImage(0x400);
  for (size_t i = 0x100; i < image.size(); ++i) image[i] = static_cast<char>(i * 7 + 3);
  ASSERT_TRUE(StampPeChecksum(image));
  uint32_t stored = static_cast<uint8_t>(image[kField]) |
                    static_cast<uint32_t>(static_cast<uint8_t>(image[kField + 1])) << 8 |
                    static_cast<uint32_t>(static_cast<uint8_t>(image[kField + 2])) << 16 |
                    static_cast<uint32_t>(static_cast<uint8_t>(image[kField + 3])) << 24;
  EXPECT_EQ(stored, ComputePeChecksum(image, kField));
  for (size_t at : {size_t{0x200}, size_t{0x201}, image.size() - 1}) {
    std::string damaged = image;
    damaged[at] = static_cast<char>(damaged[at] ^ 0x01);
    EXPECT_NE(ComputePeChecksum(damaged, kField), stored) << "byte " << at;
  }
  std::string longer = image + std::string(2, '\0');
  EXPECT_NE(ComputePeChecksum(longer, kField), stored) << "appended zeros";
}

TEST(PeChecksum, StampsAFileInPlace) {
  TempDir dir;
  std::string image = MinimalImage(0x301);
  for (size_t i = 0x100; i < image.size(); ++i) image[i] = static_cast<char>(i);
  WriteBytes(dir / "program.exe", image);
  std::string error;
  ASSERT_TRUE(StampPeChecksumFile((dir / "program.exe").string(), &error)) << error;
  std::string expected = image;
  ASSERT_TRUE(StampPeChecksum(expected));
  EXPECT_EQ(ReadBytes(dir / "program.exe"), expected) << "only the field changes";

  // What is not a program is left alone and named.
  WriteBytes(dir / "notes.txt", "just text, long enough to hold a pointer at 0x3C.........");
  EXPECT_FALSE(StampPeChecksumFile((dir / "notes.txt").string(), &error));
  EXPECT_NE(error.find("not a PE image"), std::string::npos) << error;
  EXPECT_EQ(ReadBytes(dir / "notes.txt"),
            "just text, long enough to hold a pointer at 0x3C.........");
  EXPECT_FALSE(StampPeChecksumFile((dir / "missing.exe").string(), &error));
  EXPECT_FALSE(std::filesystem::exists(dir / "missing.exe"));
}

}  // namespace
