// The substitutes named in uninstaller_fakes.h. This file is not compiled
// with that header, so the platform calls in it are the real ones.
#include "uninstaller_fakes_control.h"

#include <setupapi.h>

#include <string.h>

uninstaller_fakes g_fakes;

namespace
{

int g_manager_token;

SC_HANDLE manager_handle()
{
    return reinterpret_cast<SC_HANDLE>(&g_manager_token);
}

fake_service *service_of(SC_HANDLE handle)
{
    for (fake_service &service : g_fakes.services) {
        if (reinterpret_cast<SC_HANDLE>(&service) == handle) {
            return &service;
        }
    }
    return nullptr;
}

void fill_status(const fake_service &service, LPSERVICE_STATUS status)
{
    memset(status, 0, sizeof *status);
    status->dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status->dwCurrentState = service.state;
}

bool same_text(const std::string &a, const char *b)
{
    return b != nullptr && lstrcmpiA(a.c_str(), b) == 0;
}

} // namespace

void uninstaller_fakes::reset()
{
    *this = uninstaller_fakes();
}

fake_service *uninstaller_fakes::find(const std::string &name)
{
    for (fake_service &service : services) {
        if (service.name == name) {
            return &service;
        }
    }
    return nullptr;
}

SC_HANDLE WINAPI fake_OpenSCManagerA(LPCSTR machine, LPCSTR database, DWORD access)
{
    (void)access;
    if (machine != nullptr || database != nullptr || g_fakes.refuse_manager) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    ++g_fakes.manager_opens;
    return manager_handle();
}

SC_HANDLE WINAPI fake_OpenServiceA(SC_HANDLE manager, LPCSTR name, DWORD access)
{
    g_fakes.service_order.push_back(name);
    fake_service *service = g_fakes.find(name);
    if (manager != manager_handle() || service == nullptr || !service->exists) {
        SetLastError(manager != manager_handle() ? ERROR_INVALID_HANDLE
                                                 : ERROR_SERVICE_DOES_NOT_EXIST);
        return nullptr;
    }
    const DWORD needed = SERVICE_STOP | SERVICE_QUERY_STATUS | DELETE;
    if (service->open_error != 0 || (access & needed) != needed) {
        SetLastError(service->open_error != 0 ? service->open_error : ERROR_ACCESS_DENIED);
        return nullptr;
    }
    ++service->opens;
    return reinterpret_cast<SC_HANDLE>(service);
}

BOOL WINAPI fake_QueryServiceStatus(SC_HANDLE handle, LPSERVICE_STATUS status)
{
    fake_service *service = service_of(handle);
    if (service == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    ++service->queries;
    if (service->query_error != 0) {
        SetLastError(service->query_error);
        return FALSE;
    }
    if (service->state == SERVICE_START_PENDING) {
        if (service->start_pending_polls > 0) {
            --service->start_pending_polls;
        } else {
            service->state = SERVICE_RUNNING;
        }
    } else if (service->state == SERVICE_STOP_PENDING && service->stop_pending_polls >= 0) {
        if (service->stop_pending_seen >= service->stop_pending_polls) {
            service->state = SERVICE_STOPPED;
        } else {
            ++service->stop_pending_seen;
        }
    }
    fill_status(*service, status);
    return TRUE;
}

BOOL WINAPI fake_QueryServiceStatusEx(SC_HANDLE handle, SC_STATUS_TYPE level, LPBYTE buffer,
                                      DWORD size, LPDWORD needed)
{
    fake_service *service = service_of(handle);
    if (service == nullptr || level != SC_STATUS_PROCESS_INFO ||
        size < sizeof(SERVICE_STATUS_PROCESS)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // No process of its own: nothing to wait for after the stop.
    SERVICE_STATUS_PROCESS *status = reinterpret_cast<SERVICE_STATUS_PROCESS *>(buffer);
    memset(status, 0, sizeof *status);
    status->dwCurrentState = service->state;
    *needed = sizeof *status;
    return TRUE;
}

BOOL WINAPI fake_ControlService(SC_HANDLE handle, DWORD control, LPSERVICE_STATUS status)
{
    fake_service *service = service_of(handle);
    if (service == nullptr || control != SERVICE_CONTROL_STOP) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ++service->controls;
    if (service->control_error != 0) {
        SetLastError(service->control_error);
        return FALSE;
    }
    if (service->state == SERVICE_START_PENDING) {
        SetLastError(ERROR_SERVICE_CANNOT_ACCEPT_CTRL);
        return FALSE;
    }
    if (service->state == SERVICE_STOPPED) {
        SetLastError(ERROR_SERVICE_NOT_ACTIVE);
        return FALSE;
    }
    service->state = service->stop_pending_polls == 0 ? SERVICE_STOPPED : SERVICE_STOP_PENDING;
    fill_status(*service, status);
    return TRUE;
}

BOOL WINAPI fake_DeleteService(SC_HANDLE handle)
{
    fake_service *service = service_of(handle);
    if (service == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    ++service->deletes;
    if (service->delete_error != 0) {
        SetLastError(service->delete_error);
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI fake_CloseServiceHandle(SC_HANDLE handle)
{
    if (handle == manager_handle()) {
        ++g_fakes.manager_closes;
        return TRUE;
    }
    fake_service *service = service_of(handle);
    if (service == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    ++service->closes;
    return TRUE;
}

void WINAPI fake_Sleep(DWORD milliseconds)
{
    (void)milliseconds;
    ++g_fakes.sleeps;
}

UINT WINAPI fake_GetWindowsDirectoryA(LPSTR buffer, UINT size)
{
    ++g_fakes.windows_dir_calls;
    if (g_fakes.windows_dir_error != 0) {
        SetLastError(g_fakes.windows_dir_error);
        return 0;
    }
    if (g_fakes.windows_dir.empty()) {
        return GetWindowsDirectoryA(buffer, size);
    }
    // As the platform: the length without terminator when it fits, else
    // the size needed with the terminator, nothing written.
    UINT length = static_cast<UINT>(g_fakes.windows_dir.size());
    if (length >= size) {
        return length + 1;
    }
    memcpy(buffer, g_fakes.windows_dir.c_str(), length + 1);
    return length;
}

BOOL WINAPI fake_SetupUninstallOEMInfA(PCSTR inf_file, DWORD flags, PVOID reserved)
{
    (void)reserved;
    g_fakes.uninstalled.push_back(inf_file);
    g_fakes.uninstall_flags.push_back(flags);
    for (const std::string &refused : g_fakes.refused_packages) {
        if (same_text(refused, inf_file)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
    }
    return TRUE;
}

LONG WINAPI fake_RegDeleteKeyA(HKEY key, LPCSTR sub_key)
{
    g_fakes.deleted_root = key;
    g_fakes.deleted_keys.push_back(sub_key);
    return g_fakes.delete_key_status;
}

void WINAPI fake_GetNativeSystemInfo(LPSYSTEM_INFO info)
{
    GetNativeSystemInfo(info);
    if (g_fakes.architecture != 0xFFFF) {
        info->wProcessorArchitecture = g_fakes.architecture;
    }
}

DWORD WINAPI fake_GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size)
{
    if (module != nullptr || g_fakes.module_path.empty()) {
        return GetModuleFileNameA(module, buffer, size);
    }
    DWORD length = static_cast<DWORD>(g_fakes.module_path.size());
    if (length >= size) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    memcpy(buffer, g_fakes.module_path.c_str(), length + 1);
    return length;
}

BOOL WINAPI fake_MoveFileExA(LPCSTR existing, LPCSTR target, DWORD flags)
{
    g_fakes.moves.push_back({existing, target != nullptr ? target : "", flags});
    // Restarts are never scheduled in the shared prefix.
    if (flags & MOVEFILE_DELAY_UNTIL_REBOOT) {
        if (g_fakes.refuse_scheduling) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        return TRUE;
    }
    if (g_fakes.move_error != 0) {
        SetLastError(g_fakes.move_error);
        return FALSE;
    }
    return MoveFileExA(existing, target, flags);
}

BOOL WINAPI fake_DeleteFileA(LPCSTR path)
{
    if (!g_fakes.locked_file.empty() && same_text(g_fakes.locked_file, path)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return DeleteFileA(path);
}
