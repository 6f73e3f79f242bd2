// The registry store: REGW and REGA with their guards, the accessors on top of them,
// and (outside Windows) the ".reg" file that stands in for the registry.
#include <gtest/gtest.h>

#include <chrono>

#include <cstdlib>

#include "core/process_flags.h"
#include "settings/rega.h"
#include "settings/registry.h"
#include "settings/regw.h"
#include "settings/settings_store.h"
#include "tests/test_support.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

std::string TextData(std::u16string_view text) { return Utf16LeBytes(text) + std::string(2, '\0'); }

bool KeyExists() {
  RegistryKey key = nullptr;
  if (RegistryOpenSettingsKey(RegistryAccess::kRead, &key) != kRegOk) return false;
  RegistryCloseKey(key);
  return true;
}

class RegistryStoreTest : public ::testing::Test {
 protected:
  // The guard member puts back the store, the message host, the wrappers' language
  // and the configuration folder.
  void SetUp() override {
    useIniStore = false;
#ifdef _WIN32
    RemoveKey();
#else
    setenv("XDG_CONFIG_HOME", dir_.path().c_str(), 1);
#endif
    SetCurrentMessageHost(&host_);
  }
  void TearDown() override {
#ifdef _WIN32
    RemoveKey();
#endif
  }
#ifdef _WIN32
  static void RemoveKey() {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Orvalent\\quillon\\CurrentVersion");
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Orvalent\\quillon");
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Orvalent");
  }
#else
  std::filesystem::path HiveFile() const { return dir_ / "quillon" / "registry.reg"; }
  void WriteHive(const std::string& bytes) {
    std::filesystem::create_directories(dir_ / "quillon");
    WriteBytes(HiveFile(), bytes);
  }
#endif

  // Sets a raw typed value the way another program (or a hand edit) would.
  static void SetRaw(std::u16string_view name, uint32_t type, const std::string& bytes) {
    RegistryKey key = nullptr;
    ASSERT_EQ(RegistryCreateSettingsKey(&key), kRegOk);
    EXPECT_EQ(RegistrySetValue(key, name, type, bytes), kRegOk);
    RegistryCloseKey(key);
  }

  ProcessStateGuard state_;
  TempDir dir_;
  RecordingHost host_;
};

TEST_F(RegistryStoreTest, MissingKeyReadsDefaultsAndIsCreatedByTheFirstWrite) {
  EXPECT_EQ(ReadIntSetting(u"SearchSubFolders", 1), 1);
  EXPECT_EQ(ReadTextSetting(u"TargetPath"), u"");
  EXPECT_FALSE(KeyExists());

  ASSERT_TRUE(WriteIntSetting(u"CharEncode", -1));
  EXPECT_TRUE(KeyExists());
  EXPECT_EQ(ReadIntSetting(u"CharEncode", 1), -1);
  EXPECT_EQ(ReadIntSetting(u"WriteEncode", 0), 0);
  EXPECT_TRUE(host_.boxes.empty());  // the normal road shows no guard
}

TEST_F(RegistryStoreTest, ValuesAreStoredWithTheirRegistryTypes) {
  ASSERT_TRUE(WriteIntSetting(u"Tab2SpaceClm", 8));
  ASSERT_TRUE(WriteTextSetting(u"TargetPath", u"C:\\データ\\*.txt"));
  RegistryKey key = nullptr;
  ASSERT_EQ(RegistryOpenSettingsKey(RegistryAccess::kRead, &key), kRegOk);
  uint32_t type = 0;
  char data[64] = {};
  uint32_t size = sizeof data;
  ASSERT_EQ(RegistryQueryValue(key, u"Tab2SpaceClm", &type, data, &size), kRegOk);
  EXPECT_EQ(type, kRegDword);
  EXPECT_EQ(std::string(data, size), std::string("\x08\x00\x00\x00", 4));
  size = sizeof data;
  ASSERT_EQ(RegistryQueryValue(key, u"TargetPath", &type, data, &size), kRegOk);
  EXPECT_EQ(type, kRegSz);
  EXPECT_EQ(std::string(data, size), TextData(u"C:\\データ\\*.txt"));
  // A key opened for reading refuses writes.
  EXPECT_NE(RegistrySetValue(key, u"X", kRegDword, std::string(4, '\0')), kRegOk);
  RegistryCloseKey(key);
}

TEST_F(RegistryStoreTest, TextsUpTo8191UnitsFitLongerOnesReadEmpty) {
  WideText exact(8191, u'あ');
  ASSERT_TRUE(WriteTextSetting(u"BeforeReplace", exact));
  EXPECT_EQ(ReadTextSetting(u"BeforeReplace"), exact);

  ASSERT_TRUE(WriteTextSetting(u"AfterReplace", WideText(8192, u'x')));
  EXPECT_EQ(ReadTextSetting(u"AfterReplace"), u"");
  ASSERT_TRUE(WriteTextSetting(u"AfterReplace", WideText(100 * 1024, u'y')));
  EXPECT_EQ(ReadTextSetting(u"AfterReplace"), u"");

  // 8192 units without a terminator do not fit either; the text ends at its first NUL.
  SetRaw(u"AfterReplace", kRegSz, Utf16LeBytes(WideText(8192, u'z')));
  EXPECT_EQ(ReadTextSetting(u"AfterReplace"), u"");
  SetRaw(u"AfterReplace", kRegSz, Utf16LeBytes(u"ab") + std::string(2, '\0') + Utf16LeBytes(u"cd"));
  EXPECT_EQ(ReadTextSetting(u"AfterReplace"), u"ab");
  ASSERT_TRUE(WriteTextSetting(u"AfterReplace", u" spaced \"as is\" "));
  EXPECT_EQ(ReadTextSetting(u"AfterReplace"), u" spaced \"as is\" ");
}

TEST_F(RegistryStoreTest, IntegersAreReadFromEveryValueType) {
  auto read = [](uint32_t type, const std::string& bytes) {
    SetRaw(u"CharEncode", type, bytes);
    return ReadIntSetting(u"CharEncode", 1);
  };
  EXPECT_EQ(read(kRegSz, TextData(u"7")), 7);
  EXPECT_EQ(read(kRegSz, TextData(u"7a")), 1);
  EXPECT_EQ(read(kRegSz, TextData(u" 7")), 1);
  EXPECT_EQ(read(kRegSz, TextData(u"-12")), -12);
  EXPECT_EQ(read(kRegSz, TextData(u"+")), 0);
  EXPECT_EQ(read(kRegSz, TextData(u"")), 1);
  EXPECT_EQ(read(kRegSz, TextData(u"4294967295")), -1);
  EXPECT_EQ(read(kRegSz, Utf16LeBytes(u"42")), 42);  // no terminator stored
  EXPECT_EQ(read(kRegExpandSz, TextData(u"15")), 15);
  EXPECT_EQ(read(kRegMultiSz, TextData(u"8") + std::string(2, '\0')), 8);
  EXPECT_EQ(read(kRegDword, std::string("\x0A\x00\x00\x00", 4)), 10);
  EXPECT_EQ(read(kRegBinary, std::string("\x34\x12", 2)), 0x1234);
  EXPECT_EQ(read(kRegBinary, std::string()), 0);
  EXPECT_EQ(read(kRegQword, std::string("\x05\x00\x00\x00\x01\x00\x00\x00", 8)), 5);
  EXPECT_EQ(read(kRegDwordBigEndian, std::string("\x00\x00\x01\x02", 4)), 0x102);
  EXPECT_EQ(read(kRegDwordBigEndian, std::string("\xFF\xFF\xFF\xFE", 4)), -2);
  EXPECT_EQ(read(kRegNone, std::string("\x03\x00\x00\x00", 4)), 1);
  EXPECT_EQ(read(kRegLink, std::string("\x03\x00\x00\x00", 4)), 1);
}

TEST_F(RegistryStoreTest, RangedNumbersAreNeverWrappedIntoRange) {
  auto read = [](uint32_t type, const std::string& bytes) {
    SetRaw(u"Tab2SpaceClm", type, bytes);
    return ReadIntSettingInRange(u"Tab2SpaceClm", 1, 99, 4);
  };
  EXPECT_EQ(ReadIntSettingInRange(u"Tab2SpaceClm", 1, 99, 4), 4) << "missing";
  EXPECT_EQ(read(kRegDword, std::string("\x08\x00\x00\x00", 4)), 8);
  EXPECT_EQ(read(kRegDword, std::string("\x63\x00\x00\x00", 4)), 99);
  EXPECT_EQ(read(kRegDword, std::string("\x64\x00\x00\x00", 4)), 4);
  EXPECT_EQ(read(kRegDword, std::string("\x00\x00\x00\x00", 4)), 4);
  EXPECT_EQ(read(kRegDword, std::string("\xFF\xFF\xFF\xFF", 4)), 4);
  EXPECT_EQ(read(kRegSz, TextData(u"12")), 12);
  EXPECT_EQ(read(kRegSz, TextData(u"99999999999999")), 4);
  EXPECT_EQ(read(kRegSz, TextData(u"99999999999999999999999999")), 4);
  EXPECT_EQ(read(kRegSz, TextData(u"4294967304")), 4) << "2^32 + 8 must not read as 8";
  EXPECT_EQ(read(kRegSz, TextData(u"-4294967288")), 4) << "-(2^32 - 8) must not read as 8";
  EXPECT_EQ(read(kRegSz, TextData(u"-1")), 4);
  EXPECT_EQ(read(kRegSz, TextData(u"8x")), 4);
  EXPECT_EQ(read(kRegQword, std::string("\x08\x00\x00\x00\x00\x00\x00\x00", 8)), 8);
  EXPECT_EQ(read(kRegQword, std::string("\x08\x00\x00\x00\x01\x00\x00\x00", 8)), 4);
  EXPECT_EQ(read(kRegDwordBigEndian, std::string("\x00\x00\x00\x10", 4)), 16);
  EXPECT_EQ(read(kRegNone, std::string("\x08\x00\x00\x00", 4)), 4);
}

TEST_F(RegistryStoreTest, ValueNamesMatchWithoutRegardToCase) {
  ASSERT_TRUE(WriteIntSetting(u"charencode", 4));
  EXPECT_EQ(ReadIntSetting(u"CharEncode", 1), 4);
  ASSERT_TRUE(WriteIntSetting(u"CHARENCODE", 6));
  EXPECT_EQ(ReadIntSetting(u"CharEncode", 1), 6);
}

TEST_F(RegistryStoreTest, NarrowWritersStoreWhatTheWideReadersRead) {
  ASSERT_TRUE(WriteTextSettingNarrow(u"TargetPath", u"C:\\work\\*.txt"));
  ASSERT_TRUE(WriteIntSettingNarrow(u"CrlfTransWay", 3));
  ASSERT_TRUE(WriteIntSettingNarrow(u"InsLfChar", -1));
  EXPECT_EQ(ReadTextSetting(u"TargetPath"), u"C:\\work\\*.txt");
  EXPECT_EQ(ReadIntSetting(u"CrlfTransWay", 0), 3);
  EXPECT_EQ(ReadIntSetting(u"InsLfChar", 0), -1);
  // Outside the narrow code page the text is kept whole rather than as "?".
  ASSERT_TRUE(WriteTextSettingNarrow(u"TargetPath", u"C:\\\U0001F600\u0416\\*.txt"));
  EXPECT_EQ(ReadTextSetting(u"TargetPath"), u"C:\\\U0001F600\u0416\\*.txt");
  EXPECT_TRUE(host_.boxes.empty());
}

const char16_t kJapaneseTail[] =
    u"\nこのメッセージが表示されたら、現在編集している/していたダイアログの名前を、メッセージの内容と共に正確に作者まで報告して下さい。";

TEST_F(RegistryStoreTest, RegwGuardsMisuseInBothLanguages) {
  {
    REGW reg;
    EXPECT_FALSE(reg.CloseKey());
    WideText text = u"stale";
    EXPECT_FALSE(reg.ReadStringW(u"TargetPath", &text));
    EXPECT_EQ(text, u"");
    EXPECT_EQ(reg.ReadIntegerW(u"CharEncode", 33), 33);
    EXPECT_FALSE(reg.WriteStringW(u"TargetPath", u"x"));
    EXPECT_FALSE(reg.WriteIntegerW(u"CharEncode", 2));
  }
  ASSERT_EQ(host_.boxes.size(), 5u);
  EXPECT_EQ(host_.boxes[0].text,
            WideText(u"レジストリを多重クローズしようとしたので保護しました(REGW::CloseKey)。") +
                kJapaneseTail);
  EXPECT_EQ(host_.boxes[1].text,
            WideText(u"開かれていないキーを対象に ReadStringW が行われようとしたので保護します。") +
                kJapaneseTail);
  EXPECT_EQ(host_.boxes[4].text,
            WideText(u"開かれていないキーを対象に WriteIntegerW が行われようとしたので保護します。") +
                kJapaneseTail);
  for (const auto& box : host_.boxes) {
    EXPECT_EQ(box.caption, u"Registory Class");
    EXPECT_EQ(box.style, kBoxIconWarning);
  }
  EXPECT_FALSE(KeyExists());  // nothing was written

  host_.boxes.clear();
  REGW::SetJapanese(false);
  {
    REGW reg;
    ASSERT_TRUE(reg.OpenKey(REGW::kCreate));
    ASSERT_TRUE(reg.OpenKey(REGW::kCreate));  // closes, warns and opens again
    EXPECT_TRUE(reg.WriteIntegerW(u"CharEncode", 2));
  }  // destroyed while open
  ASSERT_EQ(host_.boxes.size(), 2u);
  EXPECT_EQ(host_.boxes[0].text, u"An error has occurred in REGW::OpenKey().");
  EXPECT_EQ(host_.boxes[1].text, u"An error has occurred in REGW::~REGW().");
  EXPECT_EQ(ReadIntSetting(u"CharEncode", 1), 2);

  REGW reg;
  EXPECT_FALSE(reg.CloseKey());
  EXPECT_EQ(host_.boxes.back().text, u"An error has occurred in REGW::CloseKey().");
  EXPECT_EQ(reg.ReadIntegerW(u"CharEncode", 1), 1);
  EXPECT_EQ(host_.boxes.back().text, u"An error has occurred in ReadIntegerW.");
}

TEST_F(RegistryStoreTest, RegaGuardsMisuseWithItsOwnLanguage) {
  REGW::SetJapanese(false);  // REGA does not follow REGW
  {
    REGA reg;
    EXPECT_FALSE(reg.WriteStringA("TargetPath", "x"));
    EXPECT_FALSE(reg.CloseKey());
    ASSERT_TRUE(reg.OpenKey());
    reg.OpenKey();
  }
  ASSERT_EQ(host_.boxes.size(), 4u);
  EXPECT_EQ(host_.boxes[0].text,
            WideText(u"開かれていないキーを対象に WriteStringA が行われようとしたので保護します。") +
                kJapaneseTail);
  EXPECT_EQ(host_.boxes[1].text,
            WideText(u"レジストリを多重クローズしようとしたので保護しました(REGA::CloseKey)。") +
                kJapaneseTail);
  EXPECT_EQ(host_.boxes[2].text,
            WideText(u"レジストリキーを多重オープンしようとしたので保護しました(REGA::OpenKey())。") +
                kJapaneseTail);
  EXPECT_EQ(host_.boxes[3].text, WideText(u"レジストリを自動クローズしました。") + kJapaneseTail);

  host_.boxes.clear();
  REGA::SetJapanese(false);
  REGA reg;
  EXPECT_FALSE(reg.WriteIntegerA("CharEncode", 1));
  EXPECT_EQ(host_.boxes.back().text, u"An error has occurred in WriteIntegerA.");
  EXPECT_EQ(host_.boxes.back().caption, u"Registory Class");
}

#ifndef _WIN32
// The ".reg" file that stands in for the registry.

const std::string kMark = "\xFF\xFE";

TEST_F(RegistryStoreTest, HiveFileIsARegistryEditorExport) {
  ASSERT_TRUE(WriteIntSetting(u"CharEncode", 10));
  ASSERT_TRUE(WriteTextSetting(u"TargetPath", u"C:\\a \"b\"\\*.txt"));
  ASSERT_TRUE(WriteTextSetting(u"BeforeReplace", u"x\r\ny"));  // a line break goes as hex(1)
  ASSERT_TRUE(WriteIntSetting(u"CharEncode", 255));
  EXPECT_EQ(ReadBytes(HiveFile()),
            kMark + Utf16LeBytes(u"Windows Registry Editor Version 5.00\r\n\r\n"
                            u"[HKEY_CURRENT_USER\\Software\\Orvalent\\quillon\\CurrentVersion]\r\n"
                            u"\"CharEncode\"=dword:000000ff\r\n"
                            u"\"TargetPath\"=\"C:\\\\a \\\"b\\\"\\\\*.txt\"\r\n"
                            u"\"BeforeReplace\"=hex(1):78,00,0d,00,0a,00,79,00,00,00\r\n\r\n"));
  EXPECT_EQ(ReadTextSetting(u"TargetPath"), u"C:\\a \"b\"\\*.txt");
  EXPECT_EQ(ReadTextSetting(u"BeforeReplace"), u"x\r\ny");

  // Long data is wrapped over continuation lines and reads back whole.
  WideText text(300, u'\t');
  ASSERT_TRUE(WriteTextSetting(u"AfterReplace", text));
  EXPECT_EQ(ReadTextSetting(u"AfterReplace"), text);
  std::string file = ReadBytes(HiveFile());
  EXPECT_NE(file.find(Utf16LeBytes(u",\\\r\n  09,00,")), std::string::npos);
}

TEST_F(RegistryStoreTest, HandEditedHiveIsReadAndKeptOnWrite) {
  // UTF-8 without mark, LF only, other keys, a comment, a continued hex list, names in
  // other case.
  std::string hand =
      "Windows Registry Editor Version 5.00\n\n"
      "[HKEY_CURRENT_USER\\Software\\Other]\n\"CharEncode\"=dword:00000005\n\n"
      "; mine\n"
      "[hkey_current_user\\software\\orvalent\\quillon\\currentversion]\n"
      "\"charencode\"=dword:00000003\n"
      "\"WriteEncode\"=hex(b):02,00,00,00,\\\n  00,00,00,00\n"
      "\"Tab2SpaceClm\"=hex(5):00,00,00,\\\n    08\n"
      "\"TargetPath\"=\"C:\\\\データ\"\n"
      "\"AfterReplace\"=hex(2):61,00,00,00\n"
      "\"Unknown\"=hex(0):\n";
  WriteHive(hand);
  EXPECT_EQ(ReadIntSetting(u"CharEncode", 1), 3);
  EXPECT_EQ(ReadIntSetting(u"WriteEncode", 0), 2);
  EXPECT_EQ(ReadIntSetting(u"Tab2SpaceClm", 4), 8);
  EXPECT_EQ(ReadTextSetting(u"TargetPath"), u"C:\\データ");
  EXPECT_EQ(ReadTextSetting(u"AfterReplace"), u"a");
  EXPECT_EQ(ReadIntSetting(u"Unknown", 9), 9);

  ASSERT_TRUE(WriteIntSetting(u"CharEncode", 4));
  ASSERT_TRUE(WriteIntSetting(u"FileBackup", 1));
  std::string expected = hand;
  expected.replace(expected.find("\"charencode\"=dword:00000003"), 27,
                   "\"CharEncode\"=dword:00000004");
  expected += "\"FileBackup\"=dword:00000001\n";
  EXPECT_EQ(ReadBytes(HiveFile()), kMark + Utf16LeBytes(WideFromUtf8(expected)));
  EXPECT_EQ(ReadIntSetting(u"WriteEncode", 0), 2);
}

TEST_F(RegistryStoreTest, DamagedHiveKeepsItsReadableValuesAndIsNeverEmptied) {
  std::string damaged =
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_CURRENT_USER\\Software\\Orvalent\\quillon\\CurrentVersion]\r\n"
      "\"CharEncode\"=dword:00000007\r\n"
      "\"WriteEncode\"=dword:zz\r\n"
      "\"TargetPath\"=\"unterminated\r\n"
      "\x01\x02 garbage \xFF\r\n"
      "\"BeforeReplace\"=hex:4x,00\r\n"
      "\"Tab2SpaceClm\"=dword:00000002\r\n"
      "\"Tab2SpaceClm\"=hex(4):03,00";  // cut off: no line end, no later bytes
  WriteHive(damaged);
  EXPECT_EQ(ReadIntSetting(u"CharEncode", 1), 7);
  EXPECT_EQ(ReadIntSetting(u"WriteEncode", 0), 0);
  EXPECT_EQ(ReadTextSetting(u"TargetPath"), u"");
  EXPECT_EQ(ReadTextSetting(u"BeforeReplace"), u"");
  EXPECT_EQ(ReadIntSetting(u"Tab2SpaceClm", 4), 3);

  ASSERT_TRUE(WriteIntSetting(u"FileBackup", 1));
  EXPECT_EQ(ReadIntSetting(u"CharEncode", 1), 7);
  EXPECT_EQ(ReadIntSetting(u"FileBackup", 0), 1);
  std::string file = ReadBytes(HiveFile());
  // Lines that could not be read are still there, byte for byte where they decode.
  EXPECT_NE(file.find(Utf16LeBytes(u"\"WriteEncode\"=dword:zz\r\n")), std::string::npos);
  EXPECT_NE(file.find(Utf16LeBytes(u"\"TargetPath\"=\"unterminated\r\n")), std::string::npos);
  EXPECT_NE(file.find(Utf16LeBytes(u"\u00FF\r\n")), std::string::npos);

  // A file of random bytes: nothing reads, and a write still keeps them.
  WriteHive(std::string("\xFF\xFE\x00\xD8\x41", 5));
  EXPECT_EQ(ReadIntSetting(u"CharEncode", 1), 1);
  ASSERT_TRUE(WriteIntSetting(u"CharEncode", 2));
  EXPECT_EQ(ReadIntSetting(u"CharEncode", 1), 2);
  EXPECT_NE(ReadBytes(HiveFile()).find(std::string("\x00\xD8", 2)), std::string::npos);
}

TEST_F(RegistryStoreTest, NewValueIsNotTakenIntoAnUnfinishedHexList) {
  const std::string head =
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_CURRENT_USER\\Software\\Orvalent\\quillon\\CurrentVersion]\r\n"
      "\"CrlfTrans\"=dword:00000001\r\n";
  // The list's last line ends in a backslash and an empty line follows: the list ends
  // there, and a new value goes after the empty line.
  WriteHive(head + "\"Rep1Line\"=hex:01,\\\r\n\r\n");
  ASSERT_TRUE(WriteIntSetting(u"FileBackup", 1));
  EXPECT_EQ(ReadIntSetting(u"FileBackup", 0), 1);
  EXPECT_EQ(ReadIntSetting(u"Rep1Line", 0), 1);
  EXPECT_EQ(ReadIntSetting(u"CrlfTrans", 0), 1);

  // The file ends with the backslash: the new value goes before the unfinished list,
  // which stays as it was (unreadable).
  WriteHive(head + "\"Rep1Line\"=hex:01,\\\r\n");
  ASSERT_TRUE(WriteIntSetting(u"FileBackup", 1));
  EXPECT_EQ(ReadIntSetting(u"FileBackup", 0), 1);
  EXPECT_EQ(ReadIntSetting(u"Rep1Line", 5), 5);
  ASSERT_TRUE(WriteIntSetting(u"InsLfByte", 80));
  EXPECT_EQ(ReadIntSetting(u"InsLfByte", 0), 80);
  EXPECT_EQ(ReadIntSetting(u"FileBackup", 0), 1);
  EXPECT_EQ(ReadBytes(HiveFile()),
            kMark + Utf16LeBytes(WideFromUtf8(head + "\"FileBackup\"=dword:00000001\r\n"
                                                "\"InsLfByte\"=dword:00000050\r\n"
                                                "\"Rep1Line\"=hex:01,\\\r\n")));
}

TEST_F(RegistryStoreTest, ValueSetAsItStandsLeavesTheHiveAlone) {
  ASSERT_TRUE(WriteTextSetting(u"BeforeReplace", u"abc"));
  const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(24 * 365);
  std::filesystem::last_write_time(HiveFile(), old);
  ASSERT_TRUE(WriteTextSetting(u"BeforeReplace", u"abc"));
  EXPECT_EQ(std::filesystem::last_write_time(HiveFile()), old);
  ASSERT_TRUE(WriteTextSetting(u"BeforeReplace", u"abd"));
  EXPECT_NE(std::filesystem::last_write_time(HiveFile()), old);
  EXPECT_EQ(ReadTextSetting(u"BeforeReplace"), u"abd");
}

// Writes keys the way a save does: texts that go as quoted strings and as wrapped hex
// lists, numbers through both writers, and keys written more than once.
void WriteEveryKey() {
  const WideText broken = WideText(u"a\r\n") + WideText(40, u'x');
  ASSERT_TRUE(WriteTextSetting(u"TargetPath", u"C:\\data\\*.txt"));
  ASSERT_TRUE(WriteIntSettingNarrow(u"FileBackup", 1));
  ASSERT_TRUE(WriteIntSetting(u"CharEncode", 2));
  ASSERT_TRUE(WriteTextSetting(u"BeforeReplace", broken));
  ASSERT_TRUE(WriteTextSettingNarrow(u"AfterReplace", broken));
  ASSERT_TRUE(WriteIntSetting(u"Tab2SpaceClm", 8));
  ASSERT_TRUE(WriteIntSettingNarrow(u"InsLfChar", -1));
  ASSERT_TRUE(WriteTextSetting(u"BeforeReplace", u"second"));  // one line for several
  ASSERT_TRUE(WriteIntSetting(u"charencode", 7));
  // Lines after those that changed in number.
  ASSERT_TRUE(WriteTextSetting(u"AfterReplace", u"third"));
  ASSERT_TRUE(WriteIntSetting(u"InsLfChar", 9));
  ASSERT_TRUE(WriteIntSetting(u"WriteEncode", 3));
  ASSERT_TRUE(WriteTextSetting(u"TargetPath", u"again"));
}

TEST_F(RegistryStoreTest, ASessionWritesTheHiveOnceWithTheSameBytes) {
  // Files as a hand edit, a damaged store or another program leaves them.
  const std::string starts[] = {
      "",
      "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Other]\n"
      "\"CharEncode\"=dword:00000005\n\n; mine\n"
      "[hkey_current_user\\software\\orvalent\\quillon\\currentversion]\n"
      "\"charencode\"=dword:00000003\n\"WriteEncode\"=hex(b):02,00,00,00,\\\n  00,00,00,00\n"
      "\"AfterReplace\"=hex(1):61,00,\\\n  00,00\n\n[HKEY_CURRENT_USER\\Software\\Last]\n\"x\"=dword:1",
      "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Orvalent\\quillon\\CurrentVersion]\r\n"
      "\"CharEncode\"=dword:zz\r\n\"X\"=hex:01,02,\\",  // a hex list cut off after its backslash
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_CURRENT_USER\\Software\\Orvalent\\quillon\\CurrentVersion]\r\n"
      "\"X\"=hex:01,\\\r\n[HKEY_CURRENT_USER\\Software\\Orvalent\\quillon\\CurrentVersion]\r\n"
      "\"TargetPath\"=\"old\"\r\n",  // a section line read as part of a hex list
  };
  for (const std::string& start : starts) {
    SCOPED_TRACE(start);
    std::filesystem::remove(HiveFile());
    if (!start.empty()) WriteHive(start);
    WriteEveryKey();
    const std::string oneByOne = ReadBytes(HiveFile());

    std::filesystem::remove(HiveFile());
    if (!start.empty()) WriteHive(start);
    const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(24);
    if (!start.empty()) std::filesystem::last_write_time(HiveFile(), old);
    {
      SettingsStoreSession session;
      WriteEveryKey();
      // Held back until the session finishes, and read back from what it holds.
      if (start.empty()) {
        EXPECT_FALSE(std::filesystem::exists(HiveFile()));
      } else {
        EXPECT_EQ(std::filesystem::last_write_time(HiveFile()), old);
      }
      EXPECT_EQ(ReadIntSetting(u"CharEncode", 1), 7);
      EXPECT_EQ(ReadTextSetting(u"BeforeReplace"), u"second");
      EXPECT_TRUE(session.Finish());
    }
    EXPECT_EQ(ReadBytes(HiveFile()), oneByOne);
  }
  EXPECT_TRUE(host_.boxes.empty());
}

TEST_F(RegistryStoreTest, ASessionThatEndsWithoutFinishStillWrites) {
  {
    SettingsStoreSession session;
    ASSERT_TRUE(WriteIntSetting(u"CharEncode", 3));
  }
  EXPECT_EQ(ReadIntSetting(u"CharEncode", 1), 3);
  SettingsStoreSession unused;
  EXPECT_TRUE(unused.Finish()) << "nothing to write";
  EXPECT_TRUE(unused.Finish()) << "a second finish has nothing left to do";
}

TEST_F(RegistryStoreTest, AHiveThatCannotBeWrittenFailsTheSessionAndKeepsTheFile) {
  ASSERT_TRUE(WriteIntSetting(u"CharEncode", 3));
  const std::string before = ReadBytes(HiveFile());
  SettingsStoreSession session;
  ASSERT_TRUE(WriteIntSetting(u"CharEncode", 4));
  ASSERT_TRUE(WriteTextSetting(u"TargetPath", u"x"));
  // The file's folder goes away (and a plain file takes its name) before the one write.
  const std::filesystem::path moved = dir_ / "moved";
  std::filesystem::rename(dir_ / "quillon", moved);
  WriteBytes(dir_ / "quillon", "plain");
  EXPECT_FALSE(session.Finish());
  EXPECT_EQ(ReadBytes(moved / "registry.reg"), before);
  EXPECT_EQ(ReadBytes(dir_ / "quillon"), "plain");
}

TEST_F(RegistryStoreTest, AClosedKeyIsNoLongerAKey) {
  RegistryKey key = nullptr;
  ASSERT_EQ(RegistryCreateSettingsKey(&key), kRegOk);
  ASSERT_EQ(RegistryCloseKey(key), kRegOk);
  // Closing it again, or using it, must not touch freed memory.
  EXPECT_EQ(RegistryCloseKey(key), kRegInvalidHandle);
  EXPECT_EQ(RegistrySetValue(key, u"X", kRegDword, std::string(4, '\0')), kRegInvalidHandle);
  uint32_t size = 0;
  EXPECT_EQ(RegistryQueryValue(key, u"X", nullptr, nullptr, &size), kRegInvalidHandle);

  {
    RegistryKeyHandle handle;
    EXPECT_EQ(handle.Close(), kRegInvalidHandle);
    ASSERT_EQ(handle.Open(RegistryAccess::kFull, false), kRegOk);
    EXPECT_EQ(RegistrySetValue(handle.get(), u"X", kRegDword, std::string("\x05\0\0\0", 4)),
              kRegOk);
  }  // the handle closes itself, and with that the value is written
  EXPECT_EQ(ReadIntSetting(u"X", 0), 5);
}

TEST_F(RegistryStoreTest, KeysOpenTogetherShareWhatTheyWrite) {
  RegistryKeyHandle a, b;
  ASSERT_EQ(a.Open(RegistryAccess::kFull, true), kRegOk);
  ASSERT_EQ(b.Open(RegistryAccess::kFull, true), kRegOk);
  ASSERT_EQ(RegistrySetValue(a.get(), u"A", kRegDword, std::string("\x01\0\0\0", 4)), kRegOk);
  ASSERT_EQ(RegistrySetValue(b.get(), u"B", kRegDword, std::string("\x02\0\0\0", 4)), kRegOk);
  EXPECT_EQ(a.Close(), kRegOk);
  EXPECT_EQ(b.Close(), kRegOk);
  EXPECT_EQ(ReadIntSetting(u"A", 0), 1);
  EXPECT_EQ(ReadIntSetting(u"B", 0), 2) << "one key's write must not undo the other's";
}

TEST_F(RegistryStoreTest, HiveLivesUnderTheConfigFolder) {
  EXPECT_EQ(RegistryHivePath(), (dir_ / "quillon" / "registry.reg").string());
  setenv("XDG_CONFIG_HOME", "relative/path", 1);  // ignored, as the convention says
  setenv("HOME", dir_.path().c_str(), 1);
  EXPECT_EQ(RegistryHivePath(), (dir_ / ".config" / "quillon" / "registry.reg").string());
  ASSERT_TRUE(WriteIntSetting(u"CharEncode", 2));  // makes the folders
  EXPECT_TRUE(std::filesystem::exists(dir_ / ".config" / "quillon" / "registry.reg"));
}
#endif

}  // namespace
