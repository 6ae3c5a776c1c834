// Force-included into the companion's request answer in its test: the
// clock is the test's, each poll's pause moves it on by the test's tick
// (and may bring the region, the request or a stop), and the region is
// the test's own.
#pragma once

#include "../registration/fake_clock.h"

#include <windows.h>

DWORD WINAPI fake_WaitForSingleObject(HANDLE handle, DWORD milliseconds);
HANDLE WINAPI fake_OpenFileMappingA(DWORD access, BOOL inherit, LPCSTR name);

#define WaitForSingleObject fake_WaitForSingleObject
#define OpenFileMappingA fake_OpenFileMappingA
