// Force-included into the product sources of the services test: the
// service control manager can be made unreachable and can hide a service
// marked for deletion from OpenServiceA, and ChangeServiceConfigA can be
// refused; the clock is the test's, and
// pauses are counted and move it on. Otherwise the real calls.
#pragma once

#include "fake_clock.h"

#include <windows.h>

SC_HANDLE WINAPI fake_OpenSCManagerA(LPCSTR machine, LPCSTR database, DWORD access);
SC_HANDLE WINAPI fake_OpenServiceA(SC_HANDLE manager, LPCSTR name, DWORD access);
BOOL WINAPI fake_ChangeServiceConfigA(SC_HANDLE service, DWORD type, DWORD start, DWORD errors,
                                      LPCSTR path, LPCSTR group, LPDWORD tag, LPCSTR dependencies,
                                      LPCSTR account, LPCSTR password, LPCSTR display_name);
void WINAPI fake_Sleep(DWORD milliseconds);

#define OpenSCManagerA fake_OpenSCManagerA
#define OpenServiceA fake_OpenServiceA
#define ChangeServiceConfigA fake_ChangeServiceConfigA
#define Sleep fake_Sleep
