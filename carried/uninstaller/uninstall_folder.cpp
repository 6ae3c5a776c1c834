#include "carried/uninstaller/uninstall_folder.h"

#include "carried/uninstaller/uninstall_names.h"
#include "core/install_log.h"
#include "core/tree_removal.h"

#include <string.h>
#include <windows.h>

namespace
{

// GetTempFileNameA needs room for its unique name after the folder.
const size_t temp_name_room = 14;

bool path_exists(const char *path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

// This program's own file in its long form, as the install folder is
// spelled; -1 when it is not known.
int own_path(char *target)
{
    char module[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, module, sizeof module);
    if (length == 0 || length >= sizeof module) {
        log_message("Own program path not obtained: %lu\n", GetLastError());
        return -1;
    }
    length = GetLongPathNameA(module, target, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        memcpy(target, module, sizeof module);
    }
    return 0;
}

int schedule_deletion_at_restart(const char *path)
{
    if (!MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
        log_message("Schedule %s for deletion at the next restart failed: %lu\n", path,
                    GetLastError());
        return -1;
    }
    log_message("%s will be deleted at the next restart\n", path);
    return 0;
}

// Windows keeps the file of a running program open: it cannot be deleted,
// but it can be renamed within its volume. Moving it to the temp folder
// frees the install folder now, and the moved file goes at the next
// restart. (Wine would delete it in place, which Windows never does.)
// 0 moved and scheduled, 1 moved but left in the temp folder for good,
// -1 not moved.
int move_out_of_folder(const char *self, const char *temp_dir)
{
    if (temp_dir[0] == '\0' || strlen(temp_dir) > MAX_PATH - temp_name_room) {
        log_message("No temp folder to move %s to\n", self);
        return -1;
    }
    char moved[MAX_PATH];
    if (GetTempFileNameA(temp_dir, "quv", 0, moved) == 0) {
        log_message("Unique name in %s not obtained: %lu\n", temp_dir, GetLastError());
        return -1;
    }
    // No copy allowed: a copy would leave the original locked in place.
    if (!MoveFileExA(self, moved, MOVEFILE_REPLACE_EXISTING)) {
        DWORD error = GetLastError();
        DeleteFileA(moved);
        log_message("Move %s to %s failed: %lu\n", self, moved, error);
        return -1;
    }
    log_message("Moved %s to %s\n", self, moved);
    return schedule_deletion_at_restart(moved) == 0 ? 0 : 1;
}

} // namespace

int remove_install_folder(const install_context *context)
{
    const char *folder = context->install_dir;
    if (!path_exists(folder)) {
        log_message("Install folder %s not found\n", folder);
        return 0;
    }

    // A current directory inside the folder would keep it from going.
    if (context->temp_dir[0] != '\0') {
        SetCurrentDirectoryA(context->temp_dir);
    }

    int result = 0;
    bool self_left_inside = false;
    char self[MAX_PATH];
    if (own_path(self) == 0 && path_is_inside(self, folder)) {
        int moved = move_out_of_folder(self, context->temp_dir);
        if (moved == -1) {
            self_left_inside = true;
            schedule_deletion_at_restart(self);
        } else if (moved == 1) {
            result = -1;
        }
    }

    remove_tree(folder);

    if (path_exists(folder)) {
        // What could not go now is left for the restart when it is this
        // program's own file; removal then needs the folder to be empty.
        if (self_left_inside) {
            schedule_deletion_at_restart(folder);
        }
        result = -1;
    }
    return result;
}
