// The uninstaller's entry: the exit code is the outcome of the removal.
#include "carried/uninstaller/uninstall.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous_instance, LPSTR command_line,
                   int show_command)
{
    (void)instance;
    (void)previous_instance;
    (void)show_command;
    return uninstall(command_line);
}
