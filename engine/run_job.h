// One conversion run, from the dialog's controls to the summary.
#pragma once

#include "core/dialog_controls.h"
#include "engine/engine_context.h"

// Collects the job from the controls, prepares the replacement, enters the target folder,
// visits it and reports the counts. False when the run could not start or was aborted.
// The current directory is the one from before the run afterwards.
bool RunJob(const DialogControls& controls, EngineContext& context);
