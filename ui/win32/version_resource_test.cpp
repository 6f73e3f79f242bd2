// The version resources of the programs: the one project version in both string tables
// and in the fixed part, the names the About box reads, and the translations announced.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "quillon_version.h"

namespace {

std::wstring TestProgram() {
  wchar_t self[MAX_PATH] = L"";
  DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  return std::wstring(self, length);
}

std::wstring BesideTests(const wchar_t* name) {
  std::wstring path = TestProgram();
  return path.substr(0, path.find_last_of(L"\\/") + 1) + name;
}

class VersionBlock {
 public:
  explicit VersionBlock(const std::wstring& file) {
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0) return;
    data_.resize(size);
    if (!GetFileVersionInfoW(file.c_str(), 0, size, data_.data())) data_.clear();
  }
  bool found() const { return !data_.empty(); }

  // A string of a table; `present` tells whether the entry exists at all.
  std::wstring String(const wchar_t* table, const wchar_t* name, bool* present = nullptr) {
    std::wstring query = std::wstring(L"\\StringFileInfo\\") + table + L"\\" + name;
    void* value = nullptr;
    UINT units = 0;
    bool found = VerQueryValueW(data_.data(), query.c_str(), &value, &units) && value;
    if (present) *present = found;
    if (!found || units == 0) return {};
    std::wstring text(static_cast<const wchar_t*>(value), units);
    return text.substr(0, text.find(L'\0'));
  }

  const VS_FIXEDFILEINFO* Fixed() {
    void* value = nullptr;
    UINT bytes = 0;
    if (!VerQueryValueW(data_.data(), L"\\", &value, &bytes) || bytes < sizeof(VS_FIXEDFILEINFO)) {
      return nullptr;
    }
    return static_cast<const VS_FIXEDFILEINFO*>(value);
  }

  std::vector<DWORD> Translations() {
    void* value = nullptr;
    UINT bytes = 0;
    if (!VerQueryValueW(data_.data(), L"\\VarFileInfo\\Translation", &value, &bytes)) return {};
    const auto* words = static_cast<const WORD*>(value);
    std::vector<DWORD> pairs;
    for (UINT i = 0; i + 1 < bytes / sizeof(WORD); i += 2) {
      pairs.push_back(MAKELONG(words[i + 1], words[i]));  // language high, code page low
    }
    return pairs;
  }

 private:
  std::vector<BYTE> data_;
};

std::wstring Widen(const char* text) { return std::wstring(text, text + std::strlen(text)); }

void CheckVersionBlock(const std::wstring& file, const wchar_t* fileName) {
  SCOPED_TRACE(std::string(file.begin(), file.end()));
  VersionBlock block(file);
  ASSERT_TRUE(block.found());
  const std::wstring version = Widen(kQuillonVersion) + L".0";

  for (const wchar_t* table : {L"041104b0", L"040904b0"}) {
    SCOPED_TRACE(std::string(table, table + 8));
    EXPECT_EQ(block.String(table, L"FileVersion"), version);
    EXPECT_EQ(block.String(table, L"ProductVersion"), version);
    EXPECT_EQ(block.String(table, L"OriginalFilename"), std::wstring(fileName) + L".exe");
    EXPECT_FALSE(block.String(table, L"FileDescription").empty());
    EXPECT_FALSE(block.String(table, L"CompanyName").empty());
    EXPECT_NE(block.String(table, L"LegalCopyright").find(L"Copyright"), std::wstring::npos);
    // Both exist, and are empty in a release build.
    bool present = false;
    EXPECT_EQ(block.String(table, L"SpecialBuild", &present), QUILLON_EXPECTED_SPECIAL_BUILD);
    EXPECT_TRUE(present);
    EXPECT_EQ(block.String(table, L"PrivateBuild", &present), QUILLON_EXPECTED_PRIVATE_BUILD);
    EXPECT_TRUE(present);
  }
  EXPECT_EQ(block.String(L"041104b0", L"ProductName"), L"タイドライト");
  EXPECT_EQ(block.String(L"040904b0", L"ProductName"), L"Tidewright");
  EXPECT_NE(block.String(L"041104b0", L"FileDescription"),
            block.String(L"040904b0", L"FileDescription"));

  const VS_FIXEDFILEINFO* fixed = block.Fixed();
  ASSERT_NE(fixed, nullptr);
  wchar_t fromFixed[64];
  swprintf(fromFixed, 64, L"%u.%u.%u.%u", HIWORD(fixed->dwFileVersionMS),
           LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
           LOWORD(fixed->dwFileVersionLS));
  EXPECT_EQ(fromFixed, version);
  EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
  EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
  // The flags announce exactly the strings that are set.
  EXPECT_EQ((fixed->dwFileFlags & VS_FF_SPECIALBUILD) != 0,
            std::wstring(QUILLON_EXPECTED_SPECIAL_BUILD) != L"");
  EXPECT_EQ((fixed->dwFileFlags & VS_FF_PRIVATEBUILD) != 0,
            std::wstring(QUILLON_EXPECTED_PRIVATE_BUILD) != L"");

  EXPECT_EQ(block.Translations(), (std::vector<DWORD>{0x041104b0, 0x040904b0}));
}

// The test program links quillon.exe's resources.
TEST(VersionResourceTest, QuillonResources) { CheckVersionBlock(TestProgram(), L"quillon"); }

TEST(VersionResourceTest, BuiltPrograms) {
  for (const wchar_t* name : {L"quillon", L"quillonc"}) {
    std::wstring file = BesideTests(name) + L".exe";
    if (GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES) {
      GTEST_SKIP() << "not built beside the tests";
    }
    CheckVersionBlock(file, name);
  }
}

}  // namespace
