// quillonc's entry on Windows: the arguments arrive as UTF-16 (linked with -municode).
#include "platform/program_entry.h"
#include "cli/quillonc_main.h"

int wmain(int argc, wchar_t** argv) { return RunProgram(argc, argv, "quillonc", QuillonCMain); }
