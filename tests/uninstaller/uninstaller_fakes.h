// Force-included into the uninstaller's sources in its unit test. The
// service control manager is a scripted stand-in (the test never touches
// the prefix's services), pauses are counted, the driver store and the
// registry only record what they are asked, and the Windows directory, the
// program's own path, moves and deletions can be redirected or refused.
// Calls not armed pass through to the platform.
#pragma once

#include <windows.h>

#include <setupapi.h>

SC_HANDLE WINAPI fake_OpenSCManagerA(LPCSTR machine, LPCSTR database, DWORD access);
SC_HANDLE WINAPI fake_OpenServiceA(SC_HANDLE manager, LPCSTR name, DWORD access);
BOOL WINAPI fake_QueryServiceStatus(SC_HANDLE service, LPSERVICE_STATUS status);
BOOL WINAPI fake_QueryServiceStatusEx(SC_HANDLE service, SC_STATUS_TYPE level, LPBYTE buffer,
                                      DWORD size, LPDWORD needed);
BOOL WINAPI fake_ControlService(SC_HANDLE service, DWORD control, LPSERVICE_STATUS status);
BOOL WINAPI fake_DeleteService(SC_HANDLE service);
BOOL WINAPI fake_CloseServiceHandle(SC_HANDLE handle);
void WINAPI fake_Sleep(DWORD milliseconds);
UINT WINAPI fake_GetWindowsDirectoryA(LPSTR buffer, UINT size);
BOOL WINAPI fake_SetupUninstallOEMInfA(PCSTR inf_file, DWORD flags, PVOID reserved);
LONG WINAPI fake_RegDeleteKeyA(HKEY key, LPCSTR sub_key);
void WINAPI fake_GetNativeSystemInfo(LPSYSTEM_INFO info);
DWORD WINAPI fake_GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size);
BOOL WINAPI fake_MoveFileExA(LPCSTR existing, LPCSTR target, DWORD flags);
BOOL WINAPI fake_DeleteFileA(LPCSTR path);

#define OpenSCManagerA fake_OpenSCManagerA
#define OpenServiceA fake_OpenServiceA
#define QueryServiceStatus fake_QueryServiceStatus
#define QueryServiceStatusEx fake_QueryServiceStatusEx
#define ControlService fake_ControlService
#define DeleteService fake_DeleteService
#define CloseServiceHandle fake_CloseServiceHandle
#define Sleep fake_Sleep
#define GetWindowsDirectoryA fake_GetWindowsDirectoryA
#define SetupUninstallOEMInfA fake_SetupUninstallOEMInfA
#define RegDeleteKeyA fake_RegDeleteKeyA
#define GetNativeSystemInfo fake_GetNativeSystemInfo
#define GetModuleFileNameA fake_GetModuleFileNameA
#define MoveFileExA fake_MoveFileExA
#define DeleteFileA fake_DeleteFileA
