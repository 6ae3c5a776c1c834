#include "core/cleanup.h"

// Filled in with the cleanup of an earlier installation.

void cleanup_earlier_installation(const char *install_dir)
{
    (void)install_dir;
}

int run_command(const char *command_line)
{
    (void)command_line;
    return -1;
}

void remove_tree(const char *path)
{
    (void)path;
}
