#include "payload/cabinet_expansion.h"

#include "core/install_log.h"
#include "core/text.h"
#include "payload/payload_data.h"

#include <setupapi.h>
#include <stdio.h>
#include <string.h>

namespace
{

const char cabinet_file_name[] = "\\cab_file.cab";
const char script_file_name[] = "\\setup.txt";

// The first directory ID an installer may bind; the scripts copy to it.
const DWORD user_directory_id = 32768;

// Builds folder + name; an empty path when it does not fit, which then
// fails to open like any other file that cannot be created.
void compose_path(char *path, size_t capacity, const char *folder, const char *name)
{
    memset(path, 0, capacity);
    if (text_copy(path, capacity, folder) != 0 || text_append(path, capacity, name) != 0) {
        path[0] = '\0';
    }
}

const char *text_or_null(const char *text)
{
    return text != nullptr ? text : "(null)";
}

// Remembers the target path of the driver INF's copy. Only during the
// driver pair; the last match wins. A path that does not fit is not taken.
void capture_inf_path(install_context *context, const char *target)
{
    if (context == nullptr || target == nullptr || context->cab_stage == 0) {
        return;
    }
    if (strstr(target, "inf") == nullptr) {
        return;
    }
    if (strlen(target) >= sizeof context->inf_path) {
        return;
    }
    text_copy(context->inf_path, sizeof context->inf_path, target);
    context->inf_found = 1;
}

// The media request's new-path buffer belongs to the platform and need not
// be terminated: at most MAX_PATH characters of it are shown.
void log_new_source_path(const char *buffer)
{
    if (buffer == nullptr) {
        log_message("dst_path=%s\n", text_or_null(buffer));
        return;
    }
    log_message("dst_path=%.*s\n", static_cast<int>(strnlen(buffer, MAX_PATH)), buffer);
}

} // namespace

int extract_payload(install_context *context)
{
    log_message("Start decompress...\n");
    if (context->sys_type == 0) {
        log_message("system type error!\n");
        return -1;
    }

    context->cab_stage = 0;
    payload_pair common = common_payload_pair();
    if (expand_cabinet(context, common.cabinet, common.cabinet_length, common.script,
                       common.script_length) != 0) {
        log_message("decompress cab common failed\n");
        return -1;
    }
    context->cab_stage = 1;

    log_message("sys_type=%d\n", context->sys_type);
    payload_pair driver;
    if (driver_payload_pair(context->sys_type, &driver) != 0) {
        log_message("unsupport system type\n");
        return -1;
    }
    if (expand_cabinet(context, driver.cabinet, driver.cabinet_length, driver.script,
                       driver.script_length) != 0) {
        log_message("decompress cab common failed\n");
        return -1;
    }
    return 0;
}

int expand_cabinet(install_context *context, const unsigned char *cabinet, int cabinet_length,
                   const unsigned char *script, int script_length)
{
    log_message("Start decompress file\n");

    char cabinet_path[MAX_PATH];
    char script_path[MAX_PATH];
    compose_path(cabinet_path, sizeof cabinet_path, context->temp_dir, cabinet_file_name);
    compose_path(script_path, sizeof script_path, context->temp_dir, script_file_name);

    if (write_blob_file(cabinet_path, cabinet, cabinet_length) != 0) {
        log_message("gen dst file failed\n");
        return -1;
    }
    if (write_blob_file(script_path, script, script_length) != 0) {
        log_message("gen dst file failed\n");
        return -1;
    }
    if (install_setup_script(context, script_path) != 0) {
        log_message("set_up driver file failed\n");
        return -1;
    }

    char driver_inf[MAX_PATH];
    snprintf(driver_inf, sizeof driver_inf, "%s", context->inf_path);
    log_message("drv=%s\n", driver_inf);

    if (!DeleteFileA(cabinet_path)) {
        log_message("delete file failed\n");
        return -1;
    }
    if (!DeleteFileA(script_path)) {
        log_message("delete file failed\n");
        return -1;
    }
    return 0;
}

int write_blob_file(const char *path, const unsigned char *bytes, int count)
{
    FILE *stream = nullptr;
    if (fopen_s(&stream, path, "wb+") != 0 || stream == nullptr) {
        log_message("open src file failed!\n");
        return -1;
    }
    for (int i = 0; i < count; ++i) {
        if (fwrite(&bytes[i], 1, 1, stream) == 0) {
            log_message("write file failed\n");
            fclose(stream);
            return -1;
        }
    }
    // The last buffered bytes reach the file only here.
    if (fclose(stream) != 0) {
        log_message("write file failed\n");
        return -1;
    }
    return 0;
}

int install_setup_script(install_context *context, const char *script_path)
{
    UINT error_line = 0;
    HINF inf = SetupOpenInfFileA(script_path, nullptr, INF_STYLE_WIN4, &error_line);
    if (inf == INVALID_HANDLE_VALUE) {
        log_message("open inf failed! path=%s\n", script_path);
        return -1;
    }
    log_message("src_path:%s\n", script_path);

    if (!SetupSetDirectoryIdA(inf, user_directory_id, context->install_dir)) {
        log_message("could not associate a dir ID, dst_path=%s\n", context->install_dir);
        SetupCloseInfFile(inf);
        return -1;
    }

    if (!SetupInstallFromInfSectionA(nullptr, inf, "Install", SPINST_REGISTRY | SPINST_FILES,
                                     nullptr, nullptr, SP_COPY_DELETESOURCE, file_queue_callback,
                                     context, nullptr, nullptr)) {
        DWORD error = GetLastError();
        log_message("install from section failed! error=%x(%d)\n", static_cast<unsigned int>(error),
                    static_cast<int>(error));
        SetupCloseInfFile(inf);
        return -1;
    }

    SetupCloseInfFile(inf);
    return 0;
}

UINT CALLBACK file_queue_callback(PVOID context, UINT notification, UINT_PTR param1,
                                  UINT_PTR param2)
{
    int last_error = static_cast<int>(GetLastError());
    log_message("callback:info_type=%x error=%d\n", notification, last_error);

    switch (notification) {
    case SPFILENOTIFY_DELETEERROR:
    case SPFILENOTIFY_RENAMEERROR:
    case SPFILENOTIFY_COPYERROR:
        return FILEOP_ABORT;

    case SPFILENOTIFY_STARTCOPY: {
        const FILEPATHS_A *paths = reinterpret_cast<const FILEPATHS_A *>(param1);
        const char *target = paths != nullptr ? paths->Target : nullptr;
        capture_inf_path(static_cast<install_context *>(context), target);
        log_message("copy name=%s\n", text_or_null(target));
        return FILEOP_DOIT;
    }

    case SPFILENOTIFY_NEEDMEDIA: {
        const SOURCE_MEDIA_A *media = reinterpret_cast<const SOURCE_MEDIA_A *>(param1);
        const char *description = media != nullptr ? media->Description : nullptr;
        log_message("media, des=%s, src_path=%s, src_file=%s\n", text_or_null(description),
                    text_or_null(media != nullptr ? media->SourcePath : nullptr),
                    text_or_null(media != nullptr ? media->SourceFile : nullptr));
        log_new_source_path(reinterpret_cast<const char *>(param2));
        return description != nullptr ? FILEOP_DOIT : FILEOP_SKIP;
    }

    default:
        return FILEOP_DOIT;
    }
}
