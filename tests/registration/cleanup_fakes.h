// Force-included into the product sources of the cleanup test. Each
// substitute passes through to the real call unless the test arms it.
#pragma once

#include <windows.h>

BOOL WINAPI fake_CreateProcessA(LPCSTR application, LPSTR command_line,
                                LPSECURITY_ATTRIBUTES process_attributes,
                                LPSECURITY_ATTRIBUTES thread_attributes, BOOL inherit_handles,
                                DWORD creation_flags, LPVOID environment, LPCSTR current_directory,
                                LPSTARTUPINFOA startup, LPPROCESS_INFORMATION process);
void WINAPI fake_Sleep(DWORD milliseconds);
HANDLE WINAPI fake_FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA entry);
BOOL WINAPI fake_FindNextFileA(HANDLE search, LPWIN32_FIND_DATAA entry);
BOOL WINAPI fake_FindClose(HANDLE search);
DWORD WINAPI fake_GetFileAttributesA(LPCSTR path);
BOOL WINAPI fake_RemoveDirectoryA(LPCSTR path);

#define CreateProcessA fake_CreateProcessA
#define Sleep fake_Sleep
#define FindFirstFileA fake_FindFirstFileA
#define FindNextFileA fake_FindNextFileA
#define FindClose fake_FindClose
#define GetFileAttributesA fake_GetFileAttributesA
#define RemoveDirectoryA fake_RemoveDirectoryA
