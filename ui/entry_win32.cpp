// quillon's entry on Windows: the arguments arrive as UTF-16 (linked with -municode).
#include "platform/program_entry.h"
#include "ui/quillon_main.h"

int wmain(int argc, wchar_t** argv) { return RunProgram(argc, argv, "quillon", QuillonMain); }
