// Cleanup of an earlier installation: its services, processes and folder.
#pragma once

// Ends and deletes the earlier services, then removes install_dir.
void cleanup_earlier_installation(const char *install_dir);

// Starts program (a full path, never searched for) with command_line as a
// hidden child and waits for it to end. 0 when it was started, -1 when it
// could not be.
int run_command(const char *program, const char *command_line);
