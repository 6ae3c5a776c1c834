// Substitutes for the platform calls that the core tests control. The test
// sources define them; by default each passes through to the real call.
#pragma once

#include <windows.h>

BOOL WINAPI fake_GetVersionExA(LPOSVERSIONINFOA info);
void WINAPI fake_GetNativeSystemInfo(LPSYSTEM_INFO info);
void WINAPI fake_GetLocalTime(LPSYSTEMTIME time);
DWORD WINAPI fake_GetFileAttributesA(LPCSTR path);
BOOL WINAPI fake_CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES attributes);
BOOL WINAPI fake_SetFileSecurityA(LPCSTR path, SECURITY_INFORMATION information,
                                  PSECURITY_DESCRIPTOR descriptor);
