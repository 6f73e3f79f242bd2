// Reads the dialog's controls into the record of a run (all but the replacement fields,
// which the replacement preparation fills).
#pragma once

#include "core/dialog_controls.h"
#include "core/job_options.h"

JobOptions CollectJobOptions(const DialogControls& controls);
