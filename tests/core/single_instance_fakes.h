// Force-included into the single-instance procedure in its test: the
// descriptor handed to CreateMutexA is recorded and the mutex kept for the
// test to release; creation and the SIDs can be made to fail.
#pragma once

#include <windows.h>

HANDLE WINAPI fake_CreateMutexA(LPSECURITY_ATTRIBUTES attributes, BOOL initial_owner, LPCSTR name);
BOOL WINAPI fake_CreateWellKnownSid(WELL_KNOWN_SID_TYPE type, PSID domain, PSID sid, DWORD *size);

#define CreateMutexA fake_CreateMutexA
#define CreateWellKnownSid fake_CreateWellKnownSid
