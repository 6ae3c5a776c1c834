// The uninstaller's run: command line, confirmation, the removal steps in
// order and the exit code.
#pragma once

#include "core/install_context.h"

// Exit codes. A piece that is already missing counts as removed.
const int uninstall_removed = 0;    // everything is gone
const int uninstall_declined = 1;   // the user said no: nothing was changed
const int uninstall_incomplete = 2; // something could not be removed

// True when "/S" (any case) is one of the arguments.
bool has_silent_switch(const char *command_line);

// The installer's fixed folders, chosen by the same test; a new folder of
// this run's own under the temp folder, admitting SYSTEM and
// Administrators only (temp_dir, ending with a backslash); and the log
// "uninstall_log.txt" created new inside it.
void init_uninstall_context(install_context *context);

// Services, driver packages, uninstall entry, install folder; every step
// runs whatever the others achieved. uninstall_removed or
// uninstall_incomplete.
int run_uninstall(install_context *context);

// The whole program: asks for confirmation unless silent, then removes.
int uninstall(const char *command_line);
