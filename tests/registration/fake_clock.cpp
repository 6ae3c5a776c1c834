#include "fake_clock.h"

#include <string.h>

#undef GetTickCount
#undef GetProcAddress

fake_clock_state g_fake_clock;

namespace
{

ULONGLONG WINAPI fake_GetTickCount64()
{
    ++g_fake_clock.reads_64;
    return g_fake_clock.now;
}

} // namespace

DWORD WINAPI fake_GetTickCount()
{
    ++g_fake_clock.reads_32;
    return static_cast<DWORD>(g_fake_clock.now);
}

FARPROC WINAPI fake_GetProcAddress(HMODULE module, LPCSTR name)
{
    // A name, not an ordinal, and the one the clock asks for.
    if (HIWORD(name) != 0 && strcmp(name, "GetTickCount64") == 0) {
        if (!g_fake_clock.has_tick_count_64) {
            SetLastError(ERROR_PROC_NOT_FOUND);
            return nullptr;
        }
        return reinterpret_cast<FARPROC>(fake_GetTickCount64);
    }
    return GetProcAddress(module, name);
}
