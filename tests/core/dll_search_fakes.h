// Force-included into the DLL search procedures in their test: the lookup
// of SetDefaultDllDirectories, the fallback and the library loads are
// recorded, so that a system with and without the update can be played.
#pragma once

#include <windows.h>

FARPROC WINAPI fake_GetProcAddress(HMODULE module, LPCSTR name);
BOOL WINAPI fake_SetDllDirectoryA(LPCSTR folder);
HMODULE WINAPI fake_LoadLibraryExA(LPCSTR name, HANDLE file, DWORD flags);

#define GetProcAddress fake_GetProcAddress
#define SetDllDirectoryA fake_SetDllDirectoryA
#define LoadLibraryExA fake_LoadLibraryExA
