#include "core/dll_search.h"

#include "core/text.h"

namespace
{

// Values of the Windows 8 API, also on Windows 7 with update KB2533623.
const DWORD search_system32 = 0x00000800; // LOAD_LIBRARY_SEARCH_SYSTEM32

typedef BOOL(WINAPI *set_default_dll_directories_routine)(DWORD flags);

} // namespace

int restrict_dll_search()
{
    // kernel32 is a KnownDLL and loaded already: this takes nothing from
    // disk. SetDefaultDllDirectories is missing on Windows 7 without the
    // update; there, at least the current folder leaves the search.
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    FARPROC routine =
        kernel != nullptr ? GetProcAddress(kernel, "SetDefaultDllDirectories") : nullptr;
    if (routine != nullptr) {
        set_default_dll_directories_routine set_default_dll_directories =
            reinterpret_cast<set_default_dll_directories_routine>(
                reinterpret_cast<void *>(routine));
        if (set_default_dll_directories(search_system32)) {
            return 0;
        }
    }
    return SetDllDirectoryA("") ? 0 : -1;
}

HMODULE load_system_library(const char *name)
{
    HMODULE library = LoadLibraryExA(name, nullptr, search_system32);
    if (library != nullptr || GetLastError() != ERROR_INVALID_PARAMETER) {
        return library;
    }
    // Without the search flags (Windows 7 without the update): the full
    // path in the system folder, which is searched for nothing else.
    char path[MAX_PATH];
    UINT length = GetSystemDirectoryA(path, sizeof path);
    if (length == 0 || length >= sizeof path || text_append(path, sizeof path, "\\") != 0 ||
        text_append(path, sizeof path, name) != 0) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return nullptr;
    }
    return LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
