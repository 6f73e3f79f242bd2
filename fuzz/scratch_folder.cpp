#include "fuzz/scratch_folder.h"

#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

namespace {

std::string* folder = nullptr;

void RemoveFolder() {
  std::error_code ignored;
  if (folder) std::filesystem::remove_all(*folder, ignored);
}

}  // namespace

const std::string& ScratchFolder() {
  if (!folder) {
    const char* tmp = getenv("TMPDIR");
    std::string pattern = std::string(tmp && tmp[0] == '/' ? tmp : "/tmp") + "/quillon-fuzz.XXXXXX";
    if (!mkdtemp(pattern.data())) {
      perror("mkdtemp");
      abort();
    }
    folder = new std::string(pattern);
    atexit(RemoveFolder);
  }
  return *folder;
}

void WriteScratchFile(const std::string& path, const void* bytes, size_t size) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  FILE* file = fopen(path.c_str(), "wb");
  if (!file || (size != 0 && fwrite(bytes, 1, size, file) != size) || fclose(file) != 0) {
    perror(path.c_str());
    abort();
  }
}
