// The platform's side of start-up: the console of console mode and the main dialog.
#pragma once

// Console mode on Windows attaches to the console of the process that started it.
void AttachParentConsole();
void DetachParentConsole();

// Runs the main dialog until it closes: interactive, console or settings-copy mode.
// Returns the process exit code.
int RunMainDialog();
