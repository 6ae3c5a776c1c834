#include "setup/context_init.h"

#include "core/install_context.h"
#include "core/install_log.h"
#include "core/protected_folder.h"
#include "core/text.h"
#include "setup/cleanup.h"

#include <string.h>

namespace
{

const char program_files_64[] = "C:\\Program Files (x86)";
const char program_files_32[] = "C:\\Program Files";

// "创建目录错误" (error creating folder) in UTF-8, spelled out so that every
// compiler stores the same bytes whatever its source character set.
const char folder_error_line[] =
    "\xe5\x88\x9b\xe5\xbb\xba\xe7\x9b\xae\xe5\xbd\x95\xe9\x94\x99\xe8\xaf\xaf\n";

// Creates path with the protected descriptor unless a folder of that name
// exists already. An existing folder of our own (take_over) may have been
// made by anyone before us: it gets Administrators as owner and the same
// DACL before anything is written into it. A Program Files folder that
// exists belongs to the system and stays as it is.
int ensure_directory(const char *path, folder_security *security, bool take_over)
{
    if (!directory_exists(path)) {
        return create_protected_folder(path, security);
    }
    if (take_over && protect_existing_folder(path, security) != 0) {
        log_message("protect folder failed! path=%s error=%x\n", path,
                    static_cast<unsigned int>(GetLastError()));
        return -1;
    }
    return 0;
}

} // namespace

int classify_system()
{
    OSVERSIONINFOEXA version;
    memset(&version, 0, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA *>(&version))) {
        log_message("get system version failed! error=%x\n", GetLastError());
        memset(&version, 0, sizeof version);
    }

    SYSTEM_INFO info;
    memset(&info, 0, sizeof info);
    GetNativeSystemInfo(&info);

    log_message("major=%x, minor=%x, arch=%d\n", version.dwMajorVersion, version.dwMinorVersion,
                info.wProcessorArchitecture);

    // Alpha64 counts as 64-bit for the driver, unlike is_64bit_os.
    bool is_64bit = info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
                    info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_IA64 ||
                    info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_ALPHA64;

    if (version.dwMajorVersion > 6) {
        return is_64bit ? 6 : 5;
    }
    if (version.dwMajorVersion == 6) {
        return is_64bit ? 4 : 3;
    }
    if (version.dwMajorVersion == 5) {
        return is_64bit ? 2 : 1;
    }
    log_message("system version is not support! ver=%d.%d", version.dwMajorVersion,
                version.dwMinorVersion);
    return -1;
}

int init_install_context(install_context *context)
{
    // The literals always fit their buffers; the bounded copies keep it so.
    text_copy(context->program_files_dir, sizeof context->program_files_dir,
              is_64bit_os() ? program_files_64 : program_files_32);
    text_copy(context->install_dir, sizeof context->install_dir, context->program_files_dir);
    text_append(context->install_dir, sizeof context->install_dir, "\\QUORVANTA");
    text_copy(context->log_path, sizeof context->log_path, context->install_dir);
    text_append(context->log_path, sizeof context->log_path, "\\install_log.txt");
    text_copy(context->temp_dir, sizeof context->temp_dir, context->install_dir);
    text_append(context->temp_dir, sizeof context->temp_dir, "\\Temp");

    cleanup_earlier_installation(context->install_dir);

    // SYSTEM and Administrators change the folders, Users read and run:
    // a LocalSystem service's program goes into them.
    folder_security security;
    if (build_folder_security(&security, true) != 0) {
        log_message("build folder security failed! error=%x\n",
                    static_cast<unsigned int>(GetLastError()));
        console_line("%s", folder_error_line);
        return -1;
    }
    struct folder {
        const char *path;
        bool take_over;
    };
    const folder folders[] = {{context->program_files_dir, false},
                              {context->install_dir, true},
                              {context->temp_dir, true}};
    for (const folder &f : folders) {
        if (ensure_directory(f.path, &security, f.take_over) != 0) {
            console_line("%s", folder_error_line);
            return -1;
        }
    }

    context->sys_type = classify_system();
    return 0;
}
