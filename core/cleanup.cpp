#include "core/cleanup.h"

#include "core/install_log.h"
#include "core/text.h"

#include <string.h>
#include <windows.h>

namespace
{

struct cleanup_command {
    const char *program_file; // file name in the system directory
    const char *command_line; // handed over as it stands; ">nul" is an argument
};

// The tools are started from the system directory by full path: the
// installer runs elevated, often from a downloads folder that could hold a
// planted "sc.exe", so neither its own folder nor PATH is ever searched.
const cleanup_command cleanup_commands[] = {
    {"taskkill.exe", "TASKKILL /F /IM Disc_eject.exe /T"},
    {"sc.exe", "sc stop Disc_eject >nul"},
    {"sc.exe", "sc delete Disc_eject >nul"},
    {"taskkill.exe", "TASKKILL /F /IM Vodorodeveroz.exe /T"},
    {"sc.exe", "sc stop Vodorodeveroz >nul"},
    {"sc.exe", "sc delete Vodorodeveroz >nul"},
};

const DWORD settle_pause_ms = 100;
const DWORD child_creation_flags = CREATE_NO_WINDOW | NORMAL_PRIORITY_CLASS;

// target = folder "\" name; -1 (target unusable) when it would not fit.
int join_path(char *target, const char *folder, const char *name)
{
    if (text_copy(target, MAX_PATH, folder) != 0 || text_append(target, MAX_PATH, "\\") != 0 ||
        text_append(target, MAX_PATH, name) != 0) {
        return -1;
    }
    return 0;
}

// target = the system directory "\" file_name.
int system_program(char *target, const char *file_name)
{
    char system_dir[MAX_PATH];
    UINT length = GetSystemDirectoryA(system_dir, sizeof system_dir);
    if (length == 0 || length >= sizeof system_dir) {
        return -1;
    }
    return join_path(target, system_dir, file_name);
}

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
    if (join_path(pattern, path, "*.*") != 0) {
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
            if (join_path(full_path, path, entry.cFileName) != 0) {
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

void cleanup_earlier_installation(const char *install_dir)
{
    for (const cleanup_command &command : cleanup_commands) {
        char program[MAX_PATH];
        if (system_program(program, command.program_file) != 0) {
            log_message("Create the child process failed.\n");
            continue;
        }
        run_command(program, command.command_line);
    }
    Sleep(settle_pause_ms);
    remove_tree(install_dir);
}

int run_command(const char *program, const char *command_line)
{
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    memset(&process, 0, sizeof process);

    // CreateProcessA may write into the command line: it gets a copy.
    char line[MAX_PATH];
    if (text_copy(line, sizeof line, command_line) != 0 ||
        !CreateProcessA(program, line, nullptr, nullptr, TRUE, child_creation_flags, nullptr,
                        nullptr, &startup, &process)) {
        log_message("Create the child process failed.\n");
        return -1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return 0;
}

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
