#include "setup/install_sequence.h"

#include "core/install_context.h"
#include "core/install_log.h"
#include "driver/driver_staging.h"
#include "payload/cabinet_expansion.h"
#include "registration/handshake.h"
#include "registration/registry_entries.h"
#include "registration/services.h"
#include "ui/progress_window.h"

DWORD WINAPI install_worker(LPVOID parameter)
{
    progress_window *window = static_cast<progress_window *>(parameter);
    install_context *context = &g_install_context;
    HANDLE region = nullptr;
    void *view = nullptr;

    // No step's result changes the course: each logs its own failures.
    window->progress_target = 10;
    open_handshake(&region, &view);

    window->progress_target = 20;
    extract_payload(context);

    window->progress_target = 40;
    if (context->inf_found) {
        install_driver(context);
    }

    window->progress_target = 90;
    set_connection_policy();
    // The entry and the LocalSystem services run programs from the install
    // folder. When it could not be created or made ours (system type 0),
    // whoever owns it could put their own programs there: nothing points
    // into it then.
    if (context->sys_type != 0) {
        write_uninstall_entry();
        register_usb_service(context);
        register_eject_service(context);
    } else {
        log_message("Install folder not ready: no uninstall entry, no services\n");
    }

    window->progress_target = 99;
    close_handshake(region, view);

    window->progress_target = 120;
    return 0;
}
