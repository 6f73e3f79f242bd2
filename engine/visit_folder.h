// Finds the target files of a run in the current folder and, when asked, its subfolders.
#pragma once

#include "core/job_options.h"
#include "engine/engine_context.h"

// Hands every matching file of the current folder to the pipeline, then visits each
// subfolder. False when the user aborted. The current folder is the same on return.
bool VisitFolder(EngineContext& context, const JobOptions& job);
