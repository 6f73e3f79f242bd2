// quillonc after the platform has turned its arguments into native strings.
#pragma once

#include <vector>

#include "platform/native_path.h"

int QuillonCMain(const std::vector<NativePath>& args);
