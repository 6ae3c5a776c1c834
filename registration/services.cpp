#include "registration/services.h"

#include "core/elapsed_clock.h"
#include "core/install_log.h"
#include "core/text.h"

#include <windows.h>

namespace
{

struct companion_service {
    const char *name;
    const char *display_name;
    const char *program_file; // appended to the install directory
};

const companion_service usb_service = {"Vodorodeveroz", "QUORVANTA 4780DV USB srvc",
                                       "\\Vodorodeveroz.exe"};
const companion_service eject_service = {"Disc_eject", "QUORVANTA 4780DV disc eject",
                                         "\\Disc_eject.exe"};

// What is asked of a service that is already registered: enough to set it
// up as a new one and to start it.
const DWORD existing_service_access = STANDARD_RIGHTS_REQUIRED | SERVICE_QUERY_CONFIG |
                                      SERVICE_CHANGE_CONFIG | SERVICE_QUERY_STATUS |
                                      SERVICE_ENUMERATE_DEPENDENTS | SERVICE_START | SERVICE_STOP;

// The program path in quotation marks: the install directory holds blanks,
// and unquoted the manager would try "C:\Program.exe" first, as SYSTEM.
int quoted_program_path(char *target, size_t capacity, const char *install_dir,
                        const char *program_file)
{
    if (text_copy(target, capacity, "\"") != 0 || text_append(target, capacity, install_dir) != 0 ||
        text_append(target, capacity, program_file) != 0 ||
        text_append(target, capacity, "\"") != 0) {
        return -1;
    }
    return 0;
}

// try_register's result when the service exists but is marked for deletion.
const int marked_for_deletion = 1;

// A deleted service lingers, marked, while any handle to it is open (an open
// services console is enough); it goes when the last one closes.
const DWORD marked_service_wait_ms = 10000;
const DWORD marked_service_poll_ms = 250;

// Starts the service and closes its handle. One that runs already counts
// as started.
int start_service(SC_HANDLE service)
{
    int result = 0;
    if (!StartServiceA(service, 0, nullptr)) {
        DWORD error = GetLastError();
        if (error == ERROR_SERVICE_MARKED_FOR_DELETE) {
            result = marked_for_deletion;
        } else if (error != ERROR_SERVICE_ALREADY_RUNNING) {
            // A service that does not start stays registered for the next boot.
            log_message("Service start failed!\n");
            result = -1;
        }
    }
    CloseServiceHandle(service);
    return result;
}

// One attempt: an existing service gets the settings a new one would have,
// an absent one is created; then it is started. 0 when started, -1 on a
// failure (logged), marked_for_deletion when the name is still taken by a
// deleted service.
int try_register(SC_HANDLE manager, const companion_service &service, const char *program_path)
{
    SC_HANDLE existing = OpenServiceA(manager, service.name, existing_service_access);
    if (existing != nullptr) {
        if (!ChangeServiceConfigA(existing, SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START,
                                  SERVICE_ERROR_NORMAL, program_path, "", nullptr, "",
                                  "LocalSystem", "", service.display_name)) {
            DWORD error = GetLastError();
            CloseServiceHandle(existing);
            if (error == ERROR_SERVICE_MARKED_FOR_DELETE) {
                return marked_for_deletion;
            }
            log_message("Change sc service failed error=%lu\n", error);
            return -1;
        }
        log_message("Open sc service success\n");
        return start_service(existing);
    }

    SC_HANDLE created =
        CreateServiceA(manager, service.name, service.display_name, SERVICE_START,
                       SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL,
                       program_path, nullptr, nullptr, nullptr, nullptr, nullptr);
    if (created == nullptr) {
        if (GetLastError() == ERROR_SERVICE_MARKED_FOR_DELETE) {
            return marked_for_deletion;
        }
        log_message("Create sc service failed\n");
        return -1;
    }
    return start_service(created);
}

int register_service(const install_context *context, const companion_service &service)
{
    char program_path[MAX_PATH];
    if (quoted_program_path(program_path, sizeof program_path, context->install_dir,
                            service.program_file) != 0) {
        log_message("Create sc service failed\n");
        return -1;
    }

    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (manager == nullptr) {
        log_message("Open sc manager failed\n");
        return -1;
    }

    // The cleanup's delete may have left the service marked: wait, by time
    // passed, for whoever holds it to let go.
    elapsed_clock clock;
    start_clock(&clock);
    int result = try_register(manager, service, program_path);
    while (result == marked_for_deletion && elapsed_ms(&clock) < marked_service_wait_ms) {
        Sleep(marked_service_poll_ms);
        result = try_register(manager, service, program_path);
    }
    if (result == marked_for_deletion) {
        log_message("Service %s is marked for deletion; restart Windows to finish\n", service.name);
        result = -1;
    }
    CloseServiceHandle(manager);
    return result;
}

} // namespace

int register_usb_service(install_context *context)
{
    return register_service(context, usb_service);
}

int register_eject_service(install_context *context)
{
    return register_service(context, eject_service);
}
