// Force-included into the product sources of the services test: the
// service control manager can be made unreachable, and the handshake's
// pauses are counted. Both pass through to the real calls otherwise.
#pragma once

#include <windows.h>

SC_HANDLE WINAPI fake_OpenSCManagerA(LPCSTR machine, LPCSTR database, DWORD access);
void WINAPI fake_Sleep(DWORD milliseconds);

#define OpenSCManagerA fake_OpenSCManagerA
#define Sleep fake_Sleep
