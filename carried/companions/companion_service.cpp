// A companion service: runs in its own process under the service control
// manager and acknowledges the installer's request in "Global\QUorProcMsg".
// Built twice; QV_SERVICE_NAME names the service.
#include "carried/companions/request_answer.h"
#include "core/dll_search.h"

#include <windows.h>

#ifndef QV_SERVICE_NAME
#error QV_SERVICE_NAME names the service
#endif

namespace
{

char service_name[] = QV_SERVICE_NAME;
SERVICE_STATUS_HANDLE g_status_handle;
HANDLE g_stop_event;

void report_status(DWORD state, DWORD exit_code, DWORD wait_hint)
{
    SERVICE_STATUS status;
    ZeroMemory(&status, sizeof status);
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwControlsAccepted =
        state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN : 0;
    status.dwWin32ExitCode = exit_code;
    status.dwWaitHint = wait_hint;
    SetServiceStatus(g_status_handle, &status);
}

DWORD WINAPI control_handler(DWORD control, DWORD event_type, LPVOID event_data, LPVOID context)
{
    (void)event_type;
    (void)event_data;
    (void)context;
    switch (control) {
    case SERVICE_CONTROL_STOP:
    case SERVICE_CONTROL_SHUTDOWN:
        report_status(SERVICE_STOP_PENDING, NO_ERROR, 3000);
        SetEvent(g_stop_event);
        return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE:
        return NO_ERROR;
    default:
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

void WINAPI service_main(DWORD argument_count, LPSTR *arguments)
{
    (void)argument_count;
    (void)arguments;
    g_stop_event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (g_stop_event == nullptr) {
        return;
    }
    g_status_handle = RegisterServiceCtrlHandlerExA(service_name, control_handler, nullptr);
    if (g_status_handle == nullptr) {
        return;
    }
    report_status(SERVICE_RUNNING, NO_ERROR, 0);

    acknowledge_request(g_stop_event);

    WaitForSingleObject(g_stop_event, INFINITE);
    report_status(SERVICE_STOPPED, NO_ERROR, 0);
}

} // namespace

int main()
{
    // Before anything loads a DLL; the service runs either way.
    restrict_dll_search();
    SERVICE_TABLE_ENTRYA services[] = {{service_name, service_main}, {nullptr, nullptr}};
    // Fails at once when not started by the service control manager.
    if (!StartServiceCtrlDispatcherA(services)) {
        return 1;
    }
    return 0;
}
