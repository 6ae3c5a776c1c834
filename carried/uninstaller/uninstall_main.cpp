// The uninstaller's entry: the exit code is the outcome of the removal.
#include "carried/uninstaller/uninstall.h"
#include "core/dll_search.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous_instance, LPSTR command_line,
                   int show_command)
{
    (void)instance;
    (void)previous_instance;
    (void)show_command;
    // Before anything loads a DLL; the removal runs either way.
    restrict_dll_search();
    return uninstall(command_line);
}
