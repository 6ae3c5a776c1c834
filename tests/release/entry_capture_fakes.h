// Force-included into the product sources of the version test: the
// uninstall entry's key is not opened and its values are captured, not
// written, so the test leaves the registry alone.
#pragma once

#include <windows.h>

LONG WINAPI fake_RegCreateKeyExA(HKEY key, LPCSTR sub_key, DWORD reserved, LPSTR class_name,
                                 DWORD options, REGSAM access,
                                 LPSECURITY_ATTRIBUTES security_attributes, PHKEY result,
                                 LPDWORD disposition);
LONG WINAPI fake_RegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE *data,
                                DWORD size);
LONG WINAPI fake_RegCloseKey(HKEY key);

#define RegCreateKeyExA fake_RegCreateKeyExA
#define RegSetValueExA fake_RegSetValueExA
#define RegCloseKey fake_RegCloseKey
