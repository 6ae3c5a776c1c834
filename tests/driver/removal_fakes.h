// Force-included into the removal's product source for the limit tests:
// the Windows directory is scripted, and INF opens and removals are
// recorded instead of reaching the INF folder.
#pragma once

#include <windows.h>

#include <setupapi.h>

UINT WINAPI fake_GetWindowsDirectoryA(LPSTR buffer, UINT size);
HINF WINAPI fake_SetupOpenInfFileA(PCSTR name, PCSTR inf_class, DWORD style, PUINT error_line);
BOOL WINAPI fake_SetupUninstallOEMInfA(PCSTR name, DWORD flags, PVOID reserved);

#define GetWindowsDirectoryA fake_GetWindowsDirectoryA
#define SetupOpenInfFileA fake_SetupOpenInfFileA
#define SetupUninstallOEMInfA fake_SetupUninstallOEMInfA
