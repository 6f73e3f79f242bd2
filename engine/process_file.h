// Takes one file through reading, the transformations, replacement and writing.
#pragma once

#include "core/job_options.h"
#include "engine/engine_context.h"
#include "platform/native_path.h"

enum class FileOutcome { kContinue, kStop };

// name is relative to the current directory; every message names the file by it.
FileOutcome ProcessFile(EngineContext& context, const NativePath& name, const JobOptions& job);
