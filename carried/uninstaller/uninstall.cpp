#include "carried/uninstaller/uninstall.h"

#include "carried/uninstaller/uninstall_driver.h"
#include "carried/uninstaller/uninstall_entry.h"
#include "carried/uninstaller/uninstall_folder.h"
#include "carried/uninstaller/uninstall_services.h"
#include "core/install_log.h"
#include "core/text.h"

#include <windows.h>

namespace
{

const char program_files_64[] = "C:\\Program Files (x86)";
const char program_files_32[] = "C:\\Program Files";
const char install_folder_name[] = "\\QUORVANTA";
const char log_file_name[] = "uninstall_log.txt";

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

    // The install folder goes away, so the log lives in the temp folder.
    // Without a temp folder the log path stays empty and lines are dropped.
    context->temp_dir[0] = '\0';
    context->log_path[0] = '\0';
    DWORD length = GetTempPathA(sizeof context->temp_dir, context->temp_dir);
    if (length == 0 || length >= sizeof context->temp_dir) {
        context->temp_dir[0] = '\0';
        return;
    }
    if (text_copy(context->log_path, sizeof context->log_path, context->temp_dir) != 0 ||
        text_append(context->log_path, sizeof context->log_path, log_file_name) != 0) {
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
    // One run per log: an earlier run's lines would mislead.
    if (g_install_context.log_path[0] != '\0') {
        DeleteFileA(g_install_context.log_path);
    }
    return run_uninstall(&g_install_context);
}
