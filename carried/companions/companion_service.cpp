// A companion service: runs in its own process under the service control
// manager and acknowledges the installer's request in "Global\QUorProcMsg".
// Built twice; QV_SERVICE_NAME names the service.
#include "core/dll_search.h"

#include <windows.h>

#ifndef QV_SERVICE_NAME
#error QV_SERVICE_NAME names the service
#endif

namespace
{

char service_name[] = QV_SERVICE_NAME;
const char region_name[] = "Global\\QUorProcMsg";

// The installer creates the region before it starts the services and posts
// its request at once, so two minutes is ample for either to appear.
const DWORD handshake_limit_ms = 120000;
const DWORD poll_interval_ms = 10;

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

// Pauses one poll interval; true when a stop arrived meanwhile.
bool stop_arrived()
{
    return WaitForSingleObject(g_stop_event, poll_interval_ms) == WAIT_OBJECT_0;
}

// Opens the region (it may not exist yet), waits for the request in word 0
// and answers it in word 1. Gives up on a stop or when the time is over.
void acknowledge_request()
{
    DWORD waited = 0;
    HANDLE region = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, region_name);
    while (region == nullptr) {
        if (waited >= handshake_limit_ms || stop_arrived()) {
            return;
        }
        waited += poll_interval_ms;
        region = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, region_name);
    }

    // Another process writes the words: every test reads them afresh.
    volatile LONG *words =
        static_cast<volatile LONG *>(MapViewOfFile(region, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (words != nullptr) {
        while (words[0] != 1 && waited < handshake_limit_ms && !stop_arrived()) {
            waited += poll_interval_ms;
        }
        if (words[0] == 1) {
            words[1] = 1;
        }
        UnmapViewOfFile(const_cast<LONG *>(words));
    }
    CloseHandle(region);
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

    acknowledge_request();

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
