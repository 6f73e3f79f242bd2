#include "ui/executable_integrity.h"

#include <gtest/gtest.h>

#include "core/process_flags.h"
#include "tests/test_support.h"

namespace {

TEST(ExecutableIntegrity, OnlyAMatchingStampPasses) {
  EXPECT_TRUE(ChecksumShowsIntactImage({true, 0x1234, 0x1234}));
  EXPECT_FALSE(ChecksumShowsIntactImage({true, 0x1234, 0x1235})) << "mismatch";
  EXPECT_FALSE(ChecksumShowsIntactImage({true, 0, 0})) << "never stamped";
  EXPECT_FALSE(ChecksumShowsIntactImage({true, 0, 0x1234})) << "never stamped";
  EXPECT_FALSE(ChecksumShowsIntactImage({false, 0x1234, 0x1234})) << "the system could not read it";
}

TEST(ExecutableIntegrity, NothingToCheckOrIntactGoesOnSilently) {
  ProcessStateGuard state;
  for (bool console : {false, true}) {
    consoleMode = console;
    RecordingHost host;
    EXPECT_TRUE(VerifyExecutableIntegrity(std::nullopt, host));
    EXPECT_TRUE(VerifyExecutableIntegrity(ImageChecksum{true, 7, 7}, host));
    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(host.boxes.empty());
  }
}

TEST(ExecutableIntegrity, DamageIsAnErrorBoxInTheDialogModes) {
  ProcessStateGuard state;
  consoleMode = false;
  for (bool japanese : {true, false}) {
    japaneseUi = japanese;
    RecordingHost host;
    EXPECT_FALSE(VerifyExecutableIntegrity(ImageChecksum{true, 7, 8}, host));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(host.boxes[0].style, kBoxIconError | kBoxOk);
    if (japanese) {
      EXPECT_EQ(host.boxes[0].text,
                u"プログラムファイルが壊れているため起動できません。再インストールしてください。");
      EXPECT_EQ(host.boxes[0].caption, u"タイドライト");
    } else {
      EXPECT_EQ(host.boxes[0].text,
                u"The program file is damaged and cannot start. Please reinstall it.");
      EXPECT_EQ(host.boxes[0].caption, u"Tidewright");
    }
  }
}

TEST(ExecutableIntegrity, DamageIsAConsoleLineInConsoleMode) {
  ProcessStateGuard state;
  consoleMode = true;
  japaneseUi = false;
  // Started by a script, nobody may be there to close a box: the text is printed.
  for (ImageChecksum checksum : {ImageChecksum{false, 0, 0}, ImageChecksum{true, 0, 0}}) {
    RecordingHost host;
    EXPECT_FALSE(VerifyExecutableIntegrity(checksum, host));
    EXPECT_TRUE(host.boxes.empty());
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0],
              u"The program file is damaged and cannot start. Please reinstall it.\n");
  }
}

}  // namespace
