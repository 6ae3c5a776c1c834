#include "driver/driver_staging.h"

#include "core/install_log.h"
#include "driver/device_reenumeration.h"
#include "driver/driver_removal.h"

#include <windows.h>

#include <setupapi.h>

namespace
{

const int copy_attempts = 60;
const DWORD retry_pause_ms = 1000;
// The driver store cannot take the package yet; it may later.
const DWORD error_driver_store_add_failed = 0xE0000247;

} // namespace

int install_driver(install_context *context)
{
    log_message("inf_path=%s\n", context->inf_path);
    if (stage_driver_package(context->inf_path) != 0) {
        return -1;
    }
    if (reenumerate_devices() != 0) {
        return -1;
    }
    return 0;
}

int stage_driver_package(const char *inf_path)
{
    remove_old_driver_packages();

    for (int attempt = 0; attempt < copy_attempts; ++attempt) {
        char published_name[MAX_PATH];
        if (SetupCopyOEMInfA(inf_path, nullptr, SPOST_PATH, SP_COPY_NOOVERWRITE, published_name,
                             MAX_PATH, nullptr, nullptr)) {
            return 0;
        }
        DWORD error = GetLastError();
        if (error == ERROR_FILE_EXISTS) {
            if (SetupCopyOEMInfA(inf_path, nullptr, SPOST_PATH, SP_COPY_REPLACEONLY, published_name,
                                 MAX_PATH, nullptr, nullptr)) {
                return 0;
            }
            log_message("Replace .inf file failed: %x\n", GetLastError());
        } else if (error == error_driver_store_add_failed) {
            log_message("The %d time trying for copying .inf file failed: %x\n", attempt, error);
        } else {
            log_message("First try for copying .inf file failed: %x\n", error);
            return -1;
        }
        Sleep(retry_pause_ms);
    }
    // Every attempt failed: the package is not in the store.
    return -1;
}
