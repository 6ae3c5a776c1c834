#include "carried/uninstaller/uninstall_driver.h"

#include "carried/uninstaller/uninstall_names.h"
#include "core/install_log.h"
#include "core/text.h"

#include <string.h>
#include <windows.h>

#include <setupapi.h>

namespace
{

const char *const adapter_catalogs[] = {"wlanbox_ndis650.cat", "wlanbox_ndis620.cat"};
const size_t value_capacity = 256;

// "*.inf" also matches longer extensions through short names: only names
// that really end in ".inf" are packages.
bool has_inf_extension(const char *name)
{
    size_t length = strlen(name);
    return length > 4 && names_equal(name + length - 4, ".inf");
}

// Removes the package published as name when it is one of the adapter's.
int remove_if_adapter_package(const char *inf_folder, const char *name)
{
    char path[MAX_PATH];
    if (text_join_path(path, inf_folder, name) != 0) {
        // No package of ours has such a name: Windows names them oemN.inf.
        log_message("INF path too long, skipped: %s\\%s\n", inf_folder, name);
        return 0;
    }
    if (!inf_names_adapter_catalog(path)) {
        return 0;
    }
    if (!SetupUninstallOEMInfA(name, SUOI_FORCEDELETE, nullptr)) {
        log_message("Remove driver package %s failed: %lx\n", name, GetLastError());
        return -1;
    }
    log_message("Driver package %s removed\n", name);
    return 0;
}

} // namespace

bool inf_names_adapter_catalog(const char *path)
{
    HINF inf = SetupOpenInfFileA(path, nullptr, INF_STYLE_WIN4, nullptr);
    if (inf == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool adapter_package = false;
    INFCONTEXT line;
    // Section and key are looked up without regard to case.
    if (SetupFindFirstLineA(inf, "Version", "CatalogFile", &line)) {
        char value[value_capacity];
        // A value too long for the buffer fails to read: not ours.
        if (SetupGetStringFieldA(&line, 1, value, sizeof value, nullptr)) {
            for (const char *catalog : adapter_catalogs) {
                if (names_equal(value, catalog)) {
                    adapter_package = true;
                }
            }
        }
    }
    SetupCloseInfFile(inf);
    return adapter_package;
}

int remove_driver_packages()
{
    char inf_folder[MAX_PATH];
    UINT length = GetWindowsDirectoryA(inf_folder, sizeof inf_folder);
    if (length == 0) {
        log_message("Windows directory not obtained: %lu\n", GetLastError());
        return -1;
    }
    char pattern[MAX_PATH];
    if (length >= sizeof inf_folder || text_append(inf_folder, sizeof inf_folder, "\\inf") != 0 ||
        text_join_path(pattern, inf_folder, "*.inf") != 0) {
        log_message("Windows directory too long, driver packages not removed\n");
        return -1;
    }

    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(pattern, &entry);
    if (search == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) {
            return 0;
        }
        log_message("List INF folder %s failed: %lu\n", inf_folder, error);
        return -1;
    }

    int result = 0;
    for (;;) {
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
            has_inf_extension(entry.cFileName) &&
            remove_if_adapter_package(inf_folder, entry.cFileName) != 0) {
            result = -1;
        }
        if (!FindNextFileA(search, &entry)) {
            DWORD error = GetLastError();
            if (error != ERROR_NO_MORE_FILES) {
                log_message("List INF folder %s failed: %lu\n", inf_folder, error);
                result = -1;
            }
            break;
        }
    }
    FindClose(search);
    return result;
}
