// The facts of the running system that the environment report prints.
#pragma once

#include "ui/about/environment_report.h"

// The About box's dark flag: the user's "apps use the dark theme" preference
// (AppsUseLightTheme == 0). Read anew on every call.
bool ReadAboutDarkFlag();

// Everything the report prints; `dark` is the About box's dark flag.
SystemFacts GatherSystemFacts(bool dark);
