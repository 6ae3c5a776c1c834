// Keeps a service open, as an open services console would, while an
// installer runs: a service deleted meanwhile stays marked for deletion
// until the probe lets go.
//   service_probe HELD WATCHED HOLD_MS
// Opens HELD and says "holding". Then waits until WATCHED has gone (the
// installer's cleanup deleted it) and runs again (the installer started
// it anew, just before it registers the next service), keeps HELD open
// HOLD_MS longer, lets go and says "released". Exit code 0, or 1 when a
// step did not come within five minutes.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

namespace
{

const DWORD step_limit_ms = 300000;
const DWORD poll_ms = 50;

// SERVICE_RUNNING, 0 when the service does not exist, or another state.
DWORD service_state(SC_HANDLE manager, const char *name)
{
    SC_HANDLE service = OpenServiceA(manager, name, SERVICE_QUERY_STATUS);
    if (service == nullptr) {
        return 0;
    }
    SERVICE_STATUS status;
    DWORD state = QueryServiceStatus(service, &status) ? status.dwCurrentState : SERVICE_STOPPED;
    CloseServiceHandle(service);
    return state;
}

bool wait_for(SC_HANDLE manager, const char *name, bool running)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < step_limit_ms) {
        DWORD state = service_state(manager, name);
        if (running ? state == SERVICE_RUNNING : state == 0) {
            return true;
        }
        Sleep(poll_ms);
    }
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 4) {
        fprintf(stderr, "usage: service_probe HELD WATCHED HOLD_MS\n");
        return 2;
    }
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (manager == nullptr) {
        printf("no manager: %lu\n", GetLastError());
        return 1;
    }
    SC_HANDLE held = OpenServiceA(manager, argv[1], SERVICE_QUERY_STATUS);
    if (held == nullptr) {
        printf("cannot open %s: %lu\n", argv[1], GetLastError());
        return 1;
    }
    printf("holding %s\n", argv[1]);
    fflush(stdout);

    int result = 0;
    if (!wait_for(manager, argv[2], false)) {
        printf("%s never went\n", argv[2]);
        result = 1;
    } else if (!wait_for(manager, argv[2], true)) {
        printf("%s never ran again\n", argv[2]);
        result = 1;
    } else {
        printf("%s runs again\n", argv[2]);
        fflush(stdout);
        Sleep(static_cast<DWORD>(atol(argv[3])));
    }
    CloseServiceHandle(held);
    CloseServiceHandle(manager);
    printf("released %s\n", argv[1]);
    return result;
}
