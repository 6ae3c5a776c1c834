// Force-included into the product sources of the handshake test: the clock
// is the test's, pauses are counted and move that clock on (and may bring
// the acknowledgement), and creation may fail.
#pragma once

#include "fake_clock.h"

#include <windows.h>

void WINAPI fake_Sleep(DWORD milliseconds);
HANDLE WINAPI fake_CreateFileMappingA(HANDLE file, LPSECURITY_ATTRIBUTES attributes, DWORD protect,
                                      DWORD size_high, DWORD size_low, LPCSTR name);

#define Sleep fake_Sleep
#define CreateFileMappingA fake_CreateFileMappingA
