#include "carried/uninstaller/uninstall_services.h"

#include "core/install_log.h"

namespace
{

const char *const companion_services[] = {"Vodorodeveroz", "Disc_eject"};

// A companion stops within a few seconds; 60 polls 500 ms apart give it 30.
const int stop_polls = 60;
const DWORD stop_poll_pause_ms = 500;
// After reporting "stopped" a service's process still has to exit, and its
// program file stays locked until it has.
const DWORD process_exit_wait_ms = 10000;

const DWORD service_access = SERVICE_STOP | SERVICE_QUERY_STATUS | DELETE;

// The service's process while it runs, to wait for its end; null when it
// does not run or cannot be opened (nothing then to wait for).
HANDLE open_service_process(SC_HANDLE service)
{
    SERVICE_STATUS_PROCESS status;
    DWORD needed = 0;
    if (!QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE *>(&status),
                              sizeof status, &needed) ||
        status.dwProcessId == 0) {
        return nullptr;
    }
    return OpenProcess(SYNCHRONIZE, FALSE, status.dwProcessId);
}

// Asks the service to stop and polls until it has. A service still
// starting cannot take the request yet; it is asked again at the next poll.
int stop_service(SC_HANDLE service, const char *name)
{
    bool stop_sent = false;
    for (int poll = 0;; ++poll) {
        SERVICE_STATUS status;
        if (!QueryServiceStatus(service, &status)) {
            log_message("Query service %s failed: %lu\n", name, GetLastError());
            return -1;
        }
        if (status.dwCurrentState == SERVICE_STOPPED) {
            return 0;
        }
        if (!stop_sent && status.dwCurrentState != SERVICE_STOP_PENDING) {
            if (ControlService(service, SERVICE_CONTROL_STOP, &status)) {
                stop_sent = true;
                if (status.dwCurrentState == SERVICE_STOPPED) {
                    return 0;
                }
            } else {
                DWORD error = GetLastError();
                if (error == ERROR_SERVICE_NOT_ACTIVE) {
                    return 0;
                }
                if (error != ERROR_SERVICE_CANNOT_ACCEPT_CTRL) {
                    log_message("Stop service %s failed: %lu\n", name, error);
                    return -1;
                }
            }
        }
        if (poll == stop_polls) {
            log_message("Service %s did not stop within %lu ms\n", name,
                        static_cast<unsigned long>(stop_polls * stop_poll_pause_ms));
            return -1;
        }
        Sleep(stop_poll_pause_ms);
    }
}

} // namespace

int remove_service(SC_HANDLE manager, const char *name)
{
    SC_HANDLE service = OpenServiceA(manager, name, service_access);
    if (service == nullptr) {
        DWORD error = GetLastError();
        if (error == ERROR_SERVICE_DOES_NOT_EXIST) {
            log_message("Service %s not installed\n", name);
            return 0;
        }
        log_message("Open service %s failed: %lu\n", name, error);
        return -1;
    }

    HANDLE process = open_service_process(service);
    int result = stop_service(service, name);
    if (process != nullptr) {
        if (result == 0 && WaitForSingleObject(process, process_exit_wait_ms) != WAIT_OBJECT_0) {
            log_message("The process of service %s did not end\n", name);
            result = -1;
        }
        CloseHandle(process);
    }

    // Deleted even when it did not stop: it then goes as soon as it stops,
    // and never starts again.
    if (!DeleteService(service)) {
        DWORD error = GetLastError();
        if (error != ERROR_SERVICE_MARKED_FOR_DELETE) {
            log_message("Delete service %s failed: %lu\n", name, error);
            result = -1;
        }
    }
    CloseServiceHandle(service);
    if (result == 0) {
        log_message("Service %s removed\n", name);
    }
    return result;
}

int remove_companion_services()
{
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (manager == nullptr) {
        log_message("Open sc manager failed: %lu\n", GetLastError());
        return -1;
    }
    int result = 0;
    for (const char *name : companion_services) {
        if (remove_service(manager, name) != 0) {
            result = -1;
        }
    }
    CloseServiceHandle(manager);
    return result;
}
