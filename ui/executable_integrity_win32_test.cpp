// The stamp of the build's tool against the system's own computation, which quillon uses
// at start-up.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "tests/test_support.h"
#include "tools/pe_checksum.h"
#include "ui/executable_integrity.h"

namespace {

// A header just valid enough for the system to sum the file (see pe_checksum_test.cpp),
// and random bytes after it.
std::string RandomImage(std::mt19937& random, size_t size) {
  std::string image(size, '\0');
  for (size_t i = 0x100; i < size; ++i) image[i] = static_cast<char>(random());
  image[0] = 'M';
  image[1] = 'Z';
  image[0x3C] = 0x40;
  image.replace(0x40, 4, std::string("PE\0\0", 4));
  image[0x44] = static_cast<char>(0x64);  // machine x86-64
  image[0x45] = static_cast<char>(0x86);
  image[0x54] = static_cast<char>(0xF0);  // size of the optional header
  image[0x58] = 0x0B;                     // PE32+
  image[0x59] = 0x02;
  return image;
}

TEST(ExecutableIntegrityWin32, TheSystemAgreesWithTheStamp) {
  TempDir dir;
  std::mt19937 random(20261207);
  for (size_t size : {0x200u, 0x201u, 0x1000u, 0x3333u, 0x10000u, 0x10001u}) {
    std::string image = RandomImage(random, size);
    ASSERT_TRUE(StampPeChecksum(image));
    WriteBytes(dir / "program.exe", image);
    ImageChecksum checksum = ReadImageChecksum(ToNative(dir / "program.exe"));
    EXPECT_TRUE(checksum.readable);
    EXPECT_EQ(checksum.stored, ComputePeChecksum(image, *PeChecksumOffset(image))) << size;
    EXPECT_TRUE(ChecksumShowsIntactImage(checksum)) << std::hex << size << " stored "
                                                    << checksum.stored << " computed "
                                                    << checksum.computed;
    // One byte of the body changed: the system sees it.
    image[size / 2] = static_cast<char>(image[size / 2] ^ 0x40);
    WriteBytes(dir / "program.exe", image);
    EXPECT_FALSE(ChecksumShowsIntactImage(ReadImageChecksum(ToNative(dir / "program.exe"))))
        << size;
  }
}

TEST(ExecutableIntegrityWin32, UnstampedOrMissingFilesFail) {
  TempDir dir;
  std::mt19937 random(7);
  WriteBytes(dir / "unstamped.exe", RandomImage(random, 0x800));
  ImageChecksum unstamped = ReadImageChecksum(ToNative(dir / "unstamped.exe"));
  EXPECT_TRUE(unstamped.readable);
  EXPECT_EQ(unstamped.stored, 0u);
  EXPECT_FALSE(ChecksumShowsIntactImage(unstamped));
  EXPECT_FALSE(ReadImageChecksum(ToNative(dir / "missing.exe")).readable);
  // The running test program is a program file the system can read (it is not stamped:
  // only the shipped programs are).
  std::optional<ImageChecksum> own = ReadProgramChecksum();
  ASSERT_TRUE(own.has_value());
  EXPECT_TRUE(own->readable);
}

}  // namespace
