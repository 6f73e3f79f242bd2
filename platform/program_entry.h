// What both programs do between the platform's entry and their own main function: the
// arguments after the program name as native strings, and a last guard for exceptions.
#pragma once

#include <vector>

#include "platform/native_path.h"

using ProgramMain = int (*)(const std::vector<NativePath>& args);

int RunProgram(int argc, PathChar** argv, const char* programName, ProgramMain programMain);
