#include "setup/cleanup.h"

#include "core/install_log.h"
#include "core/text.h"
#include "core/tree_removal.h"

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

// target = the system directory "\" file_name.
int system_program(char *target, const char *file_name)
{
    char system_dir[MAX_PATH];
    UINT length = GetSystemDirectoryA(system_dir, sizeof system_dir);
    if (length == 0 || length >= sizeof system_dir) {
        return -1;
    }
    return text_join_path(target, system_dir, file_name);
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
