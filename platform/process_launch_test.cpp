// Starting a program and waiting for it: how it ended, in words, and a program that is
// not there.
#include "platform/process_launch.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/test_support.h"

namespace {

#ifndef _WIN32
// A program made of a shell script in the test's folder.
NativePath Script(const TempDir& dir, const std::string& name, const std::string& body) {
  WriteBytes(dir / name, "#!/bin/sh\n" + body + "\n");
  std::filesystem::permissions(dir / name, std::filesystem::perms::owner_all);
  return ToNative(dir / name);
}

TEST(ProcessLaunchTest, TellsHowTheProgramEnded) {
  TempDir dir;
  uint32_t error = 7;
  ProgramEnd end;
  ASSERT_TRUE(RunProgramAndWait(Script(dir, "ok", "exit 0"), u"/CUIMODE", &error, &end));
  EXPECT_EQ(error, 0u);
  EXPECT_TRUE(end.Normal());

  ASSERT_TRUE(RunProgramAndWait(Script(dir, "three", "exit 3"), u"/CUIMODE", &error, &end));
  EXPECT_FALSE(end.Normal());
  EXPECT_FALSE(end.bySignal);
  EXPECT_EQ(end.code, 3u);
  EXPECT_EQ(ProgramEndText(end, false), u"exit code 3");
  EXPECT_EQ(ProgramEndText(end, true), u"終了コード 3");

  // Killed, as by the out-of-memory killer: no exit code at all, which must not read as 0.
  ASSERT_TRUE(RunProgramAndWait(Script(dir, "killed", "kill -9 $$"), u"/CUIMODE", &error, &end));
  EXPECT_FALSE(end.Normal());
  EXPECT_TRUE(end.bySignal);
  EXPECT_EQ(end.code, 9u);
  EXPECT_EQ(ProgramEndText(end, false), u"signal 9 (Killed)");

  // The argument arrives as one.
  ASSERT_TRUE(RunProgramAndWait(Script(dir, "arg", "[ \"$1\" = \"/CUIMODE\" ] || exit 5"),
                                u"/CUIMODE", &error, &end));
  EXPECT_TRUE(end.Normal());
}
#else
TEST(ProcessLaunchTest, SystemStatusCodesShowInHexadecimal) {
  EXPECT_EQ(ProgramEndText(ProgramEnd{false, 0xC0000005u}, false), u"0xC0000005");
  EXPECT_EQ(ProgramEndText(ProgramEnd{false, 0xC0000005u}, true), u"0xC0000005");
  EXPECT_EQ(ProgramEndText(ProgramEnd{false, 3}, false), u"exit code 3");
  EXPECT_EQ(ProgramEndText(ProgramEnd{false, 0xBFFFFFFFu}, false), u"exit code 3221225471");
}
#endif

TEST(ProcessLaunchTest, MissingProgramReportsFileNotFound) {
  TempDir dir;
  uint32_t error = 0;
  NativePath missing = ToNative(dir / "quillon-missing");
  EXPECT_FALSE(RunProgramAndWait(missing, u"/CUIMODE", &error));
  EXPECT_EQ(error, 2u);
  EXPECT_EQ(LaunchCommandLine(missing, u"/CUIMODE"),
            u"\"" + PathForDisplay(missing) + u"\" /CUIMODE");
}

}  // namespace
