#include "platform/program_entry.h"

#include <cstdio>
#include <exception>
#include <new>

int RunProgram(int argc, PathChar** argv, const char* programName, ProgramMain programMain) {
  try {
    std::vector<NativePath> args;
    args.reserve(argc > 1 ? static_cast<size_t>(argc - 1) : 0);
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return programMain(args);
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "%s: out of memory\n", programName);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", programName, e.what());
  }
  return 1;
}
