#include "carried/uninstaller/uninstall.h"

#include "carried/uninstaller/uninstall_driver.h"
#include "carried/uninstaller/uninstall_entry.h"
#include "carried/uninstaller/uninstall_folder.h"
#include "carried/uninstaller/uninstall_services.h"
#include "core/install_log.h"
#include "core/protected_folder.h"
#include "core/text.h"

#include <stdio.h>
#include <windows.h>

namespace
{

const char program_files_64[] = "C:\\Program Files (x86)";
const char program_files_32[] = "C:\\Program Files";
const char install_folder_name[] = "\\QUORVANTA";
const char log_file_name[] = "uninstall_log.txt";
const char work_folder_prefix[] = "QUORVANTA_uninstall_";
// Names tried for the working folder before giving up; each try that
// fails finds a name taken by someone else.
const int work_folder_tries = 100;

const char confirm_caption[] = "QUORVANTA 4780 uninstaller";
const char confirm_text[] = "Remove the QUORVANTA 4780 Wi-Fi 6 adapter software, its driver "
                            "and its services from this computer?";

bool is_blank(char c)
{
    return c == ' ' || c == '\t';
}

bool is_silent_token(const char *token, size_t length)
{
    return length == 2 && token[0] == '/' && (token[1] == 'S' || token[1] == 's');
}

// Makes this run's own folder under the temp folder (which ends with a
// backslash): a name no one has taken, created with a DACL that admits
// SYSTEM and Administrators only. As SYSTEM the temp folder is
// C:\Windows\Temp, where every user may create files and links; inside our
// folder no one else can. 0 with the folder (ending with a backslash) in
// work_dir; -1 when none could be made.
int make_work_folder(const char *temp, char *work_dir, size_t capacity)
{
    folder_security security;
    if (build_folder_security(&security, false) != 0) {
        return -1;
    }
    DWORD process = GetCurrentProcessId();
    DWORD start = GetTickCount();
    for (int attempt = 0; attempt < work_folder_tries; ++attempt) {
        int length = snprintf(work_dir, capacity, "%s%s%lx_%lx", temp, work_folder_prefix,
                              static_cast<unsigned long>(process),
                              static_cast<unsigned long>(start + attempt));
        if (length < 0 || static_cast<size_t>(length) >= capacity - 1) {
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
            return -1;
        }
        if (create_protected_folder(work_dir, &security) == 0) {
            return text_append(work_dir, capacity, "\\");
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            return -1;
        }
    }
    return -1;
}

// The log is new in our own folder: never an existing file, never a link.
int create_log_file(const char *path)
{
    HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return -1;
    }
    CloseHandle(file);
    return 0;
}

} // namespace

bool has_silent_switch(const char *command_line)
{
    if (command_line == nullptr) {
        return false;
    }
    const char *p = command_line;
    for (;;) {
        while (is_blank(*p)) {
            ++p;
        }
        if (*p == '\0') {
            return false;
        }
        // A token in quotation marks counts without them.
        const char *start = p;
        const char *end = nullptr;
        if (*p == '"') {
            start = ++p;
            while (*p != '\0' && *p != '"') {
                ++p;
            }
            end = p;
            if (*p == '"') {
                ++p;
            }
        } else {
            while (*p != '\0' && !is_blank(*p)) {
                ++p;
            }
            end = p;
        }
        if (is_silent_token(start, static_cast<size_t>(end - start))) {
            return true;
        }
    }
}

void init_uninstall_context(install_context *context)
{
    // Always the installer's own folder, never this program's location: a
    // copy run from elsewhere must not remove its surroundings.
    text_copy(context->program_files_dir, sizeof context->program_files_dir,
              is_64bit_os() ? program_files_64 : program_files_32);
    text_copy(context->install_dir, sizeof context->install_dir, context->program_files_dir);
    text_append(context->install_dir, sizeof context->install_dir, install_folder_name);

    // The install folder goes away, so the log and this program's moved
    // file live in a folder of this run's own under the temp folder.
    // Without one the log path stays empty and lines are dropped.
    context->temp_dir[0] = '\0';
    context->log_path[0] = '\0';
    char temp[MAX_PATH];
    DWORD length = GetTempPathA(sizeof temp, temp);
    if (length == 0 || length >= sizeof temp) {
        return;
    }
    if (make_work_folder(temp, context->temp_dir, sizeof context->temp_dir) != 0) {
        // Nowhere to log it: the console is all there is.
        console_line("Working folder in %s not created: %lu\n", temp, GetLastError());
        context->temp_dir[0] = '\0';
        return;
    }
    if (text_copy(context->log_path, sizeof context->log_path, context->temp_dir) != 0 ||
        text_append(context->log_path, sizeof context->log_path, log_file_name) != 0 ||
        create_log_file(context->log_path) != 0) {
        console_line("Log %s%s not created: %lu\n", context->temp_dir, log_file_name,
                     GetLastError());
        context->log_path[0] = '\0';
    }
}

int run_uninstall(install_context *context)
{
    log_message("Uninstall of %s started\n", context->install_dir);

    // The services first: their programs live in the install folder.
    bool complete = true;
    if (remove_companion_services() != 0) {
        complete = false;
    }
    if (remove_driver_packages() != 0) {
        complete = false;
    }
    if (delete_uninstall_entry() != 0) {
        complete = false;
    }
    if (remove_install_folder(context) != 0) {
        complete = false;
    }

    int exit_code = complete ? uninstall_removed : uninstall_incomplete;
    log_message("Uninstall finished, exit code %d\n", exit_code);
    return exit_code;
}

int uninstall(const char *command_line)
{
    // Nothing is touched, not even the log, before the user has agreed.
    if (!has_silent_switch(command_line) &&
        MessageBoxA(nullptr, confirm_text, confirm_caption, MB_YESNO | MB_ICONQUESTION) != IDYES) {
        return uninstall_declined;
    }
    init_uninstall_context(&g_install_context);
    return run_uninstall(&g_install_context);
}
