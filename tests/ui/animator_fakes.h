// Force-included into the progress window's source: the animator's window
// calls and pauses are recorded instead of made, so that a test can drive
// the progress target step by step.
#pragma once

#include <windows.h>

LRESULT WINAPI fake_SendMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
BOOL WINAPI fake_SetDlgItemTextA(HWND window, int id, LPCSTR text);
BOOL WINAPI fake_ShowWindow(HWND window, int command);
void WINAPI fake_Sleep(DWORD milliseconds);

#define SendMessageA fake_SendMessageA
#define SetDlgItemTextA fake_SetDlgItemTextA
#define ShowWindow fake_ShowWindow
#define Sleep fake_Sleep
