// quillon's entry on POSIX systems: the arguments are file names as bytes already.
#include "platform/program_entry.h"
#include "ui/quillon_main.h"

int main(int argc, char** argv) { return RunProgram(argc, argv, "quillon", QuillonMain); }
