#include "driver/driver_removal.h"

#include "core/install_log.h"
#include "core/text.h"

#include <stdio.h>
#include <string.h>
#include <windows.h>

#include <setupapi.h>

namespace
{

const size_t folder_capacity = 256;
const size_t value_capacity = 256;
const int candidate_count = 600;
// "oem599.inf": every candidate name fits once this one does.
const size_t longest_candidate_name = 10;

struct search_row {
    const char *key;
    const char *removed_line;
};

// Key 1 is a prefix of key 3, so a second package of the newest family is
// removed by pass 3 after pass 1 took the first one.
const search_row search_table[] = {
    {"wlanbox_ndis", "Uninstall wlanbox_ndis:%d\n"},
    {"qv3357d_drv", "Uninstall qv3357d_drv:%d\n"},
    {"wlanbox_ndis650", "Uninstall qv4780d_drv:%d\n"},
};

// Removes the first published package that matches the row's key. A
// failed removal ends the pass as well: the next pass starts afresh.
void remove_first_match(const char *inf_folder, const search_row &row)
{
    for (int n = 0; n < candidate_count; ++n) {
        char name[16];
        snprintf(name, sizeof name, "oem%d.inf", n);
        char path[folder_capacity];
        text_copy(path, sizeof path, inf_folder);
        if (text_append(path, sizeof path, name) != 0) {
            return;
        }
        if (inf_version_has_prefix("version", row.key, path) != 0) {
            continue;
        }
        if (SetupUninstallOEMInfA(name, SUOI_FORCEDELETE, nullptr)) {
            log_message(row.removed_line, n);
        }
        return;
    }
}

} // namespace

void remove_old_driver_packages()
{
    char inf_folder[folder_capacity];
    inf_folder[0] = '\0';
    UINT length = GetWindowsDirectoryA(inf_folder, sizeof inf_folder);
    // Without the Windows directory the candidates would be read elsewhere
    // than where the platform removes them by name: a foreign package
    // could go.
    if (length == 0) {
        log_message("Windows directory not obtained: %x, earlier packages not removed\n",
                    GetLastError());
        return;
    }
    if (length >= sizeof inf_folder || text_append(inf_folder, sizeof inf_folder, "\\inf\\") != 0 ||
        strlen(inf_folder) + longest_candidate_name >= sizeof inf_folder) {
        log_message("Windows directory too long, earlier packages not removed\n");
        return;
    }

    for (const search_row &row : search_table) {
        remove_first_match(inf_folder, row);
    }
    log_message("Previous version are deleted\n");
}

int inf_version_has_prefix(const char *section, const char *key, const char *path)
{
    char full_path[MAX_PATH];
    DWORD length = GetFullPathNameA(path, MAX_PATH, full_path, nullptr);
    // A result of MAX_PATH or more is the size needed: nothing was written.
    if (length == 0 || length >= MAX_PATH) {
        return -2;
    }
    HINF inf = SetupOpenInfFileA(full_path, nullptr, INF_STYLE_WIN4, nullptr);
    if (inf == INVALID_HANDLE_VALUE) {
        return -3;
    }
    INFCONTEXT line;
    if (!SetupFindFirstLineA(inf, section, nullptr, &line)) {
        SetupCloseInfFile(inf);
        return -4;
    }

    size_t key_length = strlen(key);
    int result = -1;
    do {
        char value[value_capacity];
        // A value longer than the buffer fails to read and is skipped.
        if (SetupGetStringFieldA(&line, 1, value, sizeof value, nullptr) &&
            strncmp(value, key, key_length) == 0) {
            result = 0;
            break;
        }
    } while (SetupFindNextLine(&line, &line));

    SetupCloseInfFile(inf);
    return result;
}
