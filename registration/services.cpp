#include "registration/services.h"

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

// What the existence test asks of a service that is already registered.
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

    // A registered service stays as it is, running or not.
    SC_HANDLE existing = OpenServiceA(manager, service.name, existing_service_access);
    if (existing != nullptr) {
        CloseServiceHandle(existing);
        CloseServiceHandle(manager);
        log_message("Open sc service success\n");
        return 0;
    }

    SC_HANDLE created =
        CreateServiceA(manager, service.name, service.display_name, SERVICE_START,
                       SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL,
                       program_path, nullptr, nullptr, nullptr, nullptr, nullptr);
    if (created == nullptr) {
        log_message("Create sc service failed\n");
        CloseServiceHandle(manager);
        return -1;
    }

    // A service that does not start stays registered for the next boot.
    int result = 0;
    if (!StartServiceA(created, 0, nullptr)) {
        log_message("Service start failed!\n");
        result = -1;
    }
    CloseServiceHandle(created);
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
