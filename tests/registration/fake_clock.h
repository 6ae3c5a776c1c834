// The system's millisecond clock as the test sets it: GetTickCount64, as
// product code finds it through GetProcAddress, and GetTickCount. Included
// by the fakes headers that product sources are compiled with.
#pragma once

#include <windows.h>

struct fake_clock_state {
    ULONGLONG now = 5000;
    bool has_tick_count_64 = true; // false: GetProcAddress finds no GetTickCount64
    int reads_64 = 0;
    int reads_32 = 0;
};

extern fake_clock_state g_fake_clock;

DWORD WINAPI fake_GetTickCount();
FARPROC WINAPI fake_GetProcAddress(HMODULE module, LPCSTR name);

#define GetTickCount fake_GetTickCount
#define GetProcAddress fake_GetProcAddress
