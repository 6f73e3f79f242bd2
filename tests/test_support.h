// Helpers shared by the unit tests: a temporary folder, a message host that records,
// a file system that fails on request, and a guard for the process-wide state.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/memory_controls.h"
#include "core/wide_text.h"
#include "platform/file_system.h"
#include "platform/message_host.h"

// A fresh folder that is removed with everything in it at the end of the test.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

std::string ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::string& bytes);
NativePath ToNative(const std::filesystem::path& path);

// Controls for a run over folder: the lists filled, the first named encoding in, output as
// read, CR+LF, subfolders searched, and "*.txt" in folder as the target.
void PrepareRunControls(MemoryControls& controls, const std::filesystem::path& folder);
// The target: pattern in folder.
void SetRunTarget(MemoryControls& controls, const std::filesystem::path& folder,
                  const std::string& pattern);

// Saves the process-wide state that tests change and puts it back when it goes: the
// interface flags (japaneseUi, consoleMode, useIniStore, copySettingsMode), the INI file's
// path, the collected results text, the current message host, the language of the
// registry wrappers' messages, the current folder, and the environment variables tests
// set (XDG_CONFIG_HOME and HOME, which place the registry file, and QUILLON_LANG). Tests
// run in one process in any order, so a fixture or test that changes any of these holds
// a guard, made before the change.
class ProcessStateGuard {
 public:
  ProcessStateGuard();
  ~ProcessStateGuard();
  ProcessStateGuard(const ProcessStateGuard&) = delete;
  ProcessStateGuard& operator=(const ProcessStateGuard&) = delete;

 private:
  struct Variable {
    const char* name;
    std::optional<std::string> value;
  };
  bool japaneseUi_, consoleMode_, useIniStore_, copySettingsMode_;
  NativePath iniPath_;
  WideText resultsText_;
  MessageHost* host_;
  bool regwJapanese_, regaJapanese_;
  std::filesystem::path folder_;
  std::vector<Variable> variables_;
};

// Sets an environment variable for a test; nullopt removes it.
void SetTestEnvironment(const char* name, const std::optional<std::string>& value);

// Records messages and answers message boxes with a given answer.
class RecordingHost : public MessageHost {
 public:
  void ReportMessage(std::u16string_view text) override { messages.emplace_back(text); }
  bool AbortRequested() override { return ++polls > abortAfterPolls; }
  int ShowMessageBox(std::u16string_view text, std::u16string_view caption,
                     uint32_t style) override {
    boxes.push_back({WideText(text), WideText(caption), style});
    return boxAnswer;
  }
  std::string AllMessagesUtf8() const;

  struct Box {
    WideText text, caption;
    uint32_t style;
  };
  std::vector<WideText> messages;
  std::vector<Box> boxes;
  int boxAnswer = kAnswerYes;
  int polls = 0;
  int abortAfterPolls = 1 << 30;
};

// Passes everything to the real file system except the operations told to fail.
class FailingFileSystem : public FileSystem {
 public:
  ReadFileResult ReadWholeFileInto(const NativePath& path,
                                   const std::function<char*(uint64_t size)>& place,
                                   uint64_t* length) override;
  ReplaceResult ReplaceFileContents(const NativePath& path, std::string_view head,
                                    std::string_view body, uint32_t* error,
                                    NativePath* where) override;
  bool CopyFileReplacing(const NativePath& from, const NativePath& to, uint32_t* error) override;
  bool GetFileTimes(const NativePath& path, FileTimes* times) override;
  SetTimesResult SetFileTimes(const NativePath& path, const FileTimes& times) override;
  bool KeepCopyLeftBeside(const NativePath& path, NativePath* shown) override {
    return RealFileSystem().KeepCopyLeftBeside(path, shown);
  }
  ReadFileResult ReadFileInPieces(const NativePath& path, size_t pieceBytes,
                                  const std::function<bool(uint64_t size)>& begin,
                                  const std::function<bool(char* piece, size_t length)>& take) override;

  ReadFileResult readResult = ReadFileResult::kOk;  // anything else fails the read
  size_t forcedPieceBytes = 0;  // when set, files read in pieces come in pieces of this size
  ReplaceResult replaceResult = ReplaceResult::kOk;
  bool failCopy = false;
  bool failGetTimes = false;
  SetTimesResult setTimesResult = SetTimesResult::kOk;
  int replaceCalls = 0;
};

#include <memory>
#include <optional>

#include "engine/codec/codec.h"
#include "engine/engine_context.h"

// The platform's converter with answers that a test can override.
class ScriptedCodec : public Codec {
 public:
  struct Script {
    std::optional<bool> detectResult;    // answer of Detect (with detectedCodePage)
    uint32_t detectedCodePage = 0;
    std::optional<EncodeAnswer> encodeAnswer;  // forced answer of Encode
    bool fallbackFails = false;
    uint32_t fallbackError = 0;
    bool throwOnDecode = false;          // throws std::bad_alloc from Decode
    std::optional<bool> decodesInPlace;  // forced answers of DecodesInPlace and DecodesPieces
    std::optional<bool> decodesPieces;
    int created = 0;                     // how many converters were made
  };
  explicit ScriptedCodec(Script* script);
  bool Detect(std::string_view bytes, uint32_t* codePage) override;
  bool Decode(uint32_t codePage, std::string_view bytes, WideText* text) override;
  EncodeAnswer Encode(uint32_t codePage, std::u16string_view text, std::string* bytes,
                      bool* substituted) override;
  bool DecodesInPlace(uint32_t codePage) override;
  bool DecodesPieces(uint32_t codePage) override;
  DecodeAnswer DecodeInPlace(uint32_t codePage, WideText* text, size_t offset,
                             size_t count) override;
  DecodeAnswer DecodePiece(uint32_t codePage, std::string_view piece, std::string* pending,
                           WideText* text) override;
  DecodeAnswer DecodeEnd(uint32_t codePage, std::string* pending, WideText* text) override;
  EncodeAnswer EncodeInPlace(uint32_t codePage, WideText* text, size_t* byteCount,
                             bool* substituted) override;
  bool EncodeFallback(uint32_t codePage, std::u16string_view text, std::string* bytes,
                      bool* substituted, uint32_t* error) override;
  int BytesIn932(char16_t unit) override;
  bool HasRealCodec() const { return real_ != nullptr; }

 private:
  Script* script_;
  std::unique_ptr<Codec> real_;
};

// A context whose converters follow script.
CodecFactory ScriptedCodecFactory(ScriptedCodec::Script* script);

// True when the Windows build runs under Wine, whose converter lacks some code pages
// and detection.
bool RunningUnderWine();
