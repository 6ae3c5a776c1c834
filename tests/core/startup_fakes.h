// Force-included into the start-up's product sources: thread creation and
// window-class registration can be made to fail, and the error box is
// recorded instead of shown.
#pragma once

#include <windows.h>

HANDLE WINAPI fake_CreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stack,
                                LPTHREAD_START_ROUTINE routine, LPVOID parameter, DWORD flags,
                                LPDWORD id);
ATOM WINAPI fake_RegisterClassA(const WNDCLASSA *window_class);
int WINAPI fake_MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

#define CreateThread fake_CreateThread
#define RegisterClassA fake_RegisterClassA
#define MessageBoxA fake_MessageBoxA
