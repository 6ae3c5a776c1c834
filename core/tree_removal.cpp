#include "core/tree_removal.h"

#include "core/install_log.h"
#include "core/text.h"

#include <windows.h>

namespace
{

void log_too_long(const char *folder, const char *name)
{
    log_message("path too long, skipped path=%s\\%s\n", folder, name);
}

// Removes a link itself; what it points to is never entered.
void remove_link(const char *path, DWORD attributes)
{
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        DeleteFileA(path);
        return;
    }
    if (!RemoveDirectoryA(path)) {
        log_message("delete directory path=%s error=%d\n", path, static_cast<int>(GetLastError()));
    }
}

// Empties and removes a real folder (not a link).
void remove_folder(const char *path)
{
    char pattern[MAX_PATH];
    if (text_join_path(pattern, path, "*.*") != 0) {
        log_too_long(path, "*.*");
        return;
    }

    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(pattern, &entry);
    if (search == INVALID_HANDLE_VALUE) {
        log_message("No files found.\n");
        return;
    }

    for (;;) {
        // Skips "." and ".." and every other dot-named entry: those stay.
        if (entry.cFileName[0] != '.') {
            char full_path[MAX_PATH];
            if (text_join_path(full_path, path, entry.cFileName) != 0) {
                log_too_long(path, entry.cFileName);
            } else if (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                remove_link(full_path, entry.dwFileAttributes);
            } else if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                remove_folder(full_path);
            } else {
                DeleteFileA(full_path);
            }
        }
        if (!FindNextFileA(search, &entry)) {
            if (GetLastError() == ERROR_NO_MORE_FILES) {
                break;
            }
            log_message("Couldn't find next file.\n");
            FindClose(search);
            return;
        }
    }
    FindClose(search);

    if (!RemoveDirectoryA(path)) {
        log_message("delete directory path=%s error=%d\n", path, static_cast<int>(GetLastError()));
    }
}

} // namespace

void remove_tree(const char *path)
{
    // The folder itself may be a link planted in its place: only unlink it.
    DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        remove_link(path, attributes);
        return;
    }
    remove_folder(path);
}
