// quillonc's entry on Windows: the arguments arrive as UTF-16 (linked with -municode).
#include <cstdio>
#include <exception>
#include <new>
#include <vector>

#include "cli/quillonc_main.h"
#include "platform/native_path.h"

int wmain(int argc, wchar_t** argv) {
  try {
    std::vector<NativePath> args;
    args.reserve(argc > 1 ? static_cast<size_t>(argc - 1) : 0);
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return QuillonCMain(args);
  } catch (const std::bad_alloc&) {
    std::fputs("quillonc: out of memory\n", stderr);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "quillonc: %s\n", e.what());
  }
  return 1;
}
