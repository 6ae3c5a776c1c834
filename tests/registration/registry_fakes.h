// Force-included into the product sources of the registry test: the
// machine's architecture is chosen by the test, and chosen writes fail.
// Everything else passes through to the real registry.
#pragma once

#include <windows.h>

void WINAPI fake_GetNativeSystemInfo(LPSYSTEM_INFO info);
LONG WINAPI fake_RegCreateKeyExA(HKEY key, LPCSTR sub_key, DWORD reserved, LPSTR class_name,
                                 DWORD options, REGSAM access,
                                 LPSECURITY_ATTRIBUTES security_attributes, PHKEY result,
                                 LPDWORD disposition);
LONG WINAPI fake_RegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE *data,
                                DWORD size);

#define GetNativeSystemInfo fake_GetNativeSystemInfo
#define RegCreateKeyExA fake_RegCreateKeyExA
#define RegSetValueExA fake_RegSetValueExA
