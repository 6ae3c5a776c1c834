/* A stand-in common-controls library that someone left in the folder the
 * installer starts from. Loading it is the fault: its DllMain leaves a
 * marker naming the process. It exports what the installer could want of
 * the real one, so that a static import would resolve to it. */
#include <windows.h>

static void leave_marker(void)
{
    char program[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, program, sizeof program);
    HANDLE marker = CreateFileA("C:\\users\\Public\\planted_comctl32_loaded.txt", FILE_APPEND_DATA,
                                FILE_SHARE_READ, NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (marker != INVALID_HANDLE_VALUE) {
        DWORD written;
        WriteFile(marker, program, length, &written, NULL);
        WriteFile(marker, "\r\n", 2, &written, NULL);
        CloseHandle(marker);
    }
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)instance;
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        leave_marker();
    }
    return TRUE;
}

__declspec(dllexport) BOOL WINAPI InitCommonControlsEx(const void *controls)
{
    (void)controls;
    return TRUE;
}

__declspec(dllexport) void WINAPI InitCommonControls(void)
{
}
