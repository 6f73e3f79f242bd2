#include "tests/test_support.h"

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#include "core/dialog_lists.h"
#include "core/process_flags.h"
#include "platform/native_path.h"
#include "settings/rega.h"
#include "settings/regw.h"
#include "settings/settings_store.h"

namespace fs = std::filesystem;

TempDir::TempDir() {
  static std::atomic<unsigned> counter{0};
  std::random_device random;
  fs::path base = fs::temp_directory_path();
  for (;;) {
    fs::path candidate = base / ("quillon-test-" + std::to_string(random()) + "-" +
                                 std::to_string(counter++));
    std::error_code error;
    if (fs::create_directory(candidate, error)) {
      path_ = candidate;
      return;
    }
  }
}

TempDir::~TempDir() {
  std::error_code error;
  // Read-only files made by tests must not keep the folder alive.
  for (auto& entry : fs::recursive_directory_iterator(path_, error)) {
    fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, error);
  }
  fs::remove_all(path_, error);
}

ProcessStateGuard::ProcessStateGuard()
    : japaneseUi_(japaneseUi),
      consoleMode_(consoleMode),
      useIniStore_(useIniStore),
      copySettingsMode_(copySettingsMode),
      iniPath_(IniFilePath()),
      resultsText_(resultsText),
      host_(&CurrentMessageHost()),
      regwJapanese_(REGW::Japanese()),
      regaJapanese_(REGA::Japanese()) {
  std::error_code error;
  folder_ = fs::current_path(error);
  for (const char* name : {"XDG_CONFIG_HOME", "HOME", "QUILLON_LANG"}) {
    const char* value = std::getenv(name);
    variables_.push_back({name, value ? std::optional<std::string>(value) : std::nullopt});
  }
}

ProcessStateGuard::~ProcessStateGuard() {
  japaneseUi = japaneseUi_;
  consoleMode = consoleMode_;
  useIniStore = useIniStore_;
  copySettingsMode = copySettingsMode_;
  SetIniFilePath(iniPath_);
  resultsText = resultsText_;
  // No host of its own stands for the console host.
  SetCurrentMessageHost(host_ == &ConsoleMessageHost() ? nullptr : host_);
  REGW::SetJapanese(regwJapanese_);
  REGA::SetJapanese(regaJapanese_);
  std::error_code error;
  if (!folder_.empty()) fs::current_path(folder_, error);
  for (const Variable& variable : variables_) SetTestEnvironment(variable.name, variable.value);
}

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

NativePath ToNative(const fs::path& path) { return path.native(); }

std::string RecordingHost::AllMessagesUtf8() const {
  std::string all;
  for (const WideText& m : messages) all += Utf8FromWide(m);
  return all;
}

ReadFileResult FailingFileSystem::ReadWholeFileInto(
    const NativePath& path, const std::function<char*(uint64_t size)>& place, uint64_t* length) {
  *length = 0;
  if (readResult != ReadFileResult::kOk) return readResult;
  return RealFileSystem().ReadWholeFileInto(path, place, length);
}

ReadFileResult FailingFileSystem::ReadFileInPieces(
    const NativePath& path, size_t pieceBytes, const std::function<bool(uint64_t size)>& begin,
    const std::function<bool(char* piece, size_t length)>& take) {
  if (readResult != ReadFileResult::kOk) return readResult;
  // Unless told the size of the pieces, through ReadWholeFileInto, which a test may watch.
  if (forcedPieceBytes == 0) return FileSystem::ReadFileInPieces(path, pieceBytes, begin, take);
  return RealFileSystem().ReadFileInPieces(path, forcedPieceBytes, begin, take);
}

ReplaceResult FailingFileSystem::ReplaceFileContents(const NativePath& path,
                                                     std::string_view head,
                                                     std::string_view body, uint32_t* error,
                                                     NativePath* where) {
  ++replaceCalls;
  if (replaceResult != ReplaceResult::kOk) {
    *error = 5;
    return replaceResult;
  }
  return RealFileSystem().ReplaceFileContents(path, head, body, error, where);
}

bool FailingFileSystem::CopyFileReplacing(const NativePath& from, const NativePath& to,
                                          uint32_t* error) {
  if (failCopy) {
    *error = 5;
    return false;
  }
  return RealFileSystem().CopyFileReplacing(from, to, error);
}

bool FailingFileSystem::GetFileTimes(const NativePath& path, FileTimes* times) {
  if (failGetTimes) return false;
  return RealFileSystem().GetFileTimes(path, times);
}

SetTimesResult FailingFileSystem::SetFileTimes(const NativePath& path, const FileTimes& times) {
  if (setTimesResult != SetTimesResult::kOk) return setTimesResult;
  return RealFileSystem().SetFileTimes(path, times);
}

ScriptedCodec::ScriptedCodec(Script* script) : script_(script) {
  uint32_t failure = 0;
  real_ = CreateSystemCodec(&failure);
}

bool ScriptedCodec::Detect(std::string_view bytes, uint32_t* codePage) {
  if (script_->detectResult) {
    *codePage = script_->detectedCodePage;
    return *script_->detectResult;
  }
  return real_->Detect(bytes, codePage);
}

bool ScriptedCodec::Decode(uint32_t codePage, std::string_view bytes, WideText* text) {
  if (script_->throwOnDecode) throw std::bad_alloc();
  return real_->Decode(codePage, bytes, text);
}

EncodeAnswer ScriptedCodec::Encode(uint32_t codePage, std::u16string_view text,
                                   std::string* bytes, bool* substituted) {
  if (script_->encodeAnswer) return *script_->encodeAnswer;
  return real_->Encode(codePage, text, bytes, substituted);
}

bool ScriptedCodec::DecodesInPlace(uint32_t codePage) {
  return script_->decodesInPlace ? *script_->decodesInPlace : real_->DecodesInPlace(codePage);
}

bool ScriptedCodec::DecodesPieces(uint32_t codePage) {
  return script_->decodesPieces ? *script_->decodesPieces : real_->DecodesPieces(codePage);
}

DecodeAnswer ScriptedCodec::DecodeInPlace(uint32_t codePage, WideText* text, size_t offset,
                                          size_t count) {
  if (script_->throwOnDecode) throw std::bad_alloc();
  return real_->DecodeInPlace(codePage, text, offset, count);
}

DecodeAnswer ScriptedCodec::DecodePiece(uint32_t codePage, std::string_view piece,
                                        std::string* pending, WideText* text) {
  if (script_->throwOnDecode) throw std::bad_alloc();
  return real_->DecodePiece(codePage, piece, pending, text);
}

DecodeAnswer ScriptedCodec::DecodeEnd(uint32_t codePage, std::string* pending, WideText* text) {
  return real_->DecodeEnd(codePage, pending, text);
}

EncodeAnswer ScriptedCodec::EncodeInPlace(uint32_t codePage, WideText* text, size_t* byteCount,
                                          bool* substituted) {
  // A forced answer belongs to Encode, which the writer then reaches.
  if (script_->encodeAnswer) return EncodeAnswer::kNotSupported;
  return real_->EncodeInPlace(codePage, text, byteCount, substituted);
}

bool ScriptedCodec::EncodeFallback(uint32_t codePage, std::u16string_view text,
                                   std::string* bytes, bool* substituted, uint32_t* error) {
  if (script_->fallbackFails) {
    *error = script_->fallbackError;
    return false;
  }
  // Stands in for a secondary converter: whatever the primary one makes of the text.
  return real_->Encode(codePage, text, bytes, substituted) == EncodeAnswer::kConverted;
}

int ScriptedCodec::BytesIn932(char16_t unit) { return real_->BytesIn932(unit); }

CodecFactory ScriptedCodecFactory(ScriptedCodec::Script* script) {
  return [script](uint32_t* failure) -> std::unique_ptr<Codec> {
    ++script->created;
    auto codec = std::make_unique<ScriptedCodec>(script);
    if (!codec->HasRealCodec()) {
      *failure = 0x80004005u;
      return nullptr;
    }
    return codec;
  };
}

#ifdef _WIN32
#include <objbase.h>
#include <windows.h>

void SetTestEnvironment(const char* name, const std::optional<std::string>& value) {
  // An empty value removes the variable.
  _putenv_s(name, value ? value->c_str() : "");
}

namespace {
// The program initialises COM at start-up; the test program does it before any test.
struct ComForTests {
  ComForTests() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
} comForTests;
}  // namespace

bool RunningUnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}
#else
void SetTestEnvironment(const char* name, const std::optional<std::string>& value) {
  if (value) {
    setenv(name, value->c_str(), 1);
  } else {
    unsetenv(name);
  }
}

bool RunningUnderWine() { return false; }
#endif

void PrepareRunControls(MemoryControls& controls, const std::filesystem::path& folder) {
  FillLists(controls);
  controls.SetSelection(kIdInputList, 1);
  controls.SetSelection(kIdOutputList, 0);
  controls.SetSelection(kIdLineEndingList, 0);
  controls.SetChecked(kIdSubfolders, true);
  SetRunTarget(controls, folder, "*.txt");
}

void SetRunTarget(MemoryControls& controls, const std::filesystem::path& folder,
                  const std::string& pattern) {
  controls.SetText(kIdTarget, PathForDisplay(ToNative(folder)) + u"/" + WideFromUtf8(pattern));
}
