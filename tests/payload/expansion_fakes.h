// Force-included into the expansion's product sources in its test: the
// calls below go to the test's substitutes, which pass through to the real
// ones unless a test arms a failure. Starting another program or waiting
// is recorded and never run: the expansion must do neither.
#pragma once

#include <windows.h>

#include <setupapi.h>
#include <stdio.h>
#include <stdlib.h>

int fake_system(const char *command);
UINT WINAPI fake_WinExec(LPCSTR command, UINT show);
BOOL WINAPI fake_CreateProcessA(LPCSTR application, LPSTR command, LPSECURITY_ATTRIBUTES process,
                                LPSECURITY_ATTRIBUTES thread, BOOL inherit, DWORD flags,
                                LPVOID environment, LPCSTR folder, LPSTARTUPINFOA startup,
                                LPPROCESS_INFORMATION information);
DWORD WINAPI fake_WaitForSingleObject(HANDLE object, DWORD milliseconds);
void WINAPI fake_Sleep(DWORD milliseconds);
int fake_getchar();
size_t fake_fwrite(const void *data, size_t size, size_t count, FILE *stream);
int fake_fclose(FILE *stream);
BOOL WINAPI fake_SetupSetDirectoryIdA(HINF inf, DWORD id, PCSTR directory);
void WINAPI fake_SetupCloseInfFile(HINF inf);

#define system fake_system
#define WinExec fake_WinExec
#define CreateProcessA fake_CreateProcessA
#define WaitForSingleObject fake_WaitForSingleObject
#define Sleep fake_Sleep
#define getchar fake_getchar
#define fwrite fake_fwrite
#define fclose fake_fclose
#define SetupSetDirectoryIdA fake_SetupSetDirectoryIdA
#define SetupCloseInfFile fake_SetupCloseInfFile
