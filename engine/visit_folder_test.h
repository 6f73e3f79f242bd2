// A run over a temporary folder for the walk's tests: controls that double every "a", so
// that a file converted twice shows it, and a file system that counts what the walk did.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/memory_controls.h"
#include "core/process_flags.h"
#include "engine/run_job.h"
#include "tests/test_support.h"

class WalkCounter : public FailingFileSystem {
 public:
  ReadFileResult ReadWholeFileInto(const NativePath& path,
                                   const std::function<char*(uint64_t size)>& place,
                                   uint64_t* length) override {
    reads.push_back(path);
    return FailingFileSystem::ReadWholeFileInto(path, place, length);
  }
  bool GoToFolder(const HeldFolder& folder) override {
    ++moves;
    return FailingFileSystem::GoToFolder(folder);
  }
  std::vector<NativePath> reads;  // names of the files read, in order
  int moves = 0;                  // into a folder or back
};

class WalkTest : public ::testing::Test {
 protected:
  ProcessStateGuard state;  // first member: the flags are put back after everything else
  WalkTest() {
    japaneseUi = false;
    consoleMode = true;
    context.host = &host;
    context.files = &files;
    PrepareRunControls(controls, dir.path());
    controls.SetChecked(kIdReplaceCheck, true);
    controls.SetText(kIdSearchText, u"a");
    controls.SetText(kIdReplacementText, u"aa");
    start = std::filesystem::current_path();
  }
  ~WalkTest() override { std::filesystem::current_path(start); }
  void SetTarget(const std::string& pattern) { SetRunTarget(controls, dir.path(), pattern); }
  void Make(const std::string& name, const std::string& content = "data") {
    std::filesystem::create_directories((dir / name).parent_path());
    WriteBytes(dir / name, content);
  }
  // Runs the job; the summary it ends with.
  WideText Run() {
    RunJob(controls, context);
    return host.messages.empty() ? WideText() : host.messages.back();
  }

  TempDir dir;
  WalkCounter files;
  RecordingHost host;
  EngineContext context;
  MemoryControls controls;
  std::filesystem::path start;
};
