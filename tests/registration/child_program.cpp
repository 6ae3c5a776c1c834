// A child for the run_command test: lingers, leaves a marker file, and ends
// with the exit code it is given, so that waiting shows and the code does
// not matter. Arguments: marker path, exit code.
#include <windows.h>

#include <stdlib.h>

int main(int argument_count, char **arguments)
{
    if (argument_count < 3) {
        return 2;
    }
    Sleep(300);
    HANDLE marker = CreateFileA(arguments[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (marker != INVALID_HANDLE_VALUE) {
        CloseHandle(marker);
    }
    return atoi(arguments[2]);
}
