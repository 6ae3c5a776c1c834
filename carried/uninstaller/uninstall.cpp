// The uninstaller's place holder: removes nothing and says so. With /S it
// ends at once, silently.
#include <windows.h>

#include <string.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous_instance, LPSTR command_line,
                   int show_command)
{
    (void)instance;
    (void)previous_instance;
    (void)show_command;
    if (command_line != nullptr &&
        (strstr(command_line, "/S") != nullptr || strstr(command_line, "/s") != nullptr)) {
        return 0;
    }
    MessageBoxA(nullptr,
                "This uninstaller does not remove anything yet.\n"
                "Nothing was changed on this computer.",
                "QUORVANTA 4780 uninstaller", MB_OK | MB_ICONINFORMATION);
    return 0;
}
