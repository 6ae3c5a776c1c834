#include "carried/uninstaller/uninstall_entry.h"

#include "core/install_context.h"
#include "core/install_log.h"

#include <windows.h>

namespace
{

// The installer's keys, chosen by the same test and opened the same way
// (no registry-view flag), so that the key it wrote is the one deleted.
const char entry_key_64bit[] =
    "SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QUORVANTA4780";
const char entry_key_32bit[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QUORVANTA4780";

} // namespace

int delete_uninstall_entry()
{
    const char *key = is_64bit_os() ? entry_key_64bit : entry_key_32bit;
    LONG status = RegDeleteKeyA(HKEY_LOCAL_MACHINE, key);
    if (status == ERROR_FILE_NOT_FOUND) {
        log_message("Uninstall entry not found\n");
        return 0;
    }
    if (status != ERROR_SUCCESS) {
        log_message("Delete uninstall entry %s failed: %ld\n", key, status);
        return -1;
    }
    log_message("Uninstall entry deleted\n");
    return 0;
}
