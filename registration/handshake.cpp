#include "registration/handshake.h"

#include "core/elapsed_clock.h"
#include "core/install_log.h"
#include "core/protected_object.h"

namespace
{

const char region_name[] = "Global\\QUorProcMsg";
const DWORD region_size = 8; // word 0: request, word 1: acknowledgement
const DWORD acknowledgement_wait_ms = 2000;
const DWORD acknowledgement_pause_ms = 1;

} // namespace

void open_handshake(HANDLE *region, void **view)
{
    *region = nullptr;
    *view = nullptr;

    // Full access for SYSTEM and Administrators only: the services that
    // answer run as one of them.
    object_security security;
    bool secured = build_object_security(&security);

    // Someone else's region: held until the end, never written.
    HANDLE existing = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, region_name);
    if (existing != nullptr) {
        *region = existing;
        return;
    }

    // Without its DACL the region would take whatever the default gives.
    if (!secured) {
        log_message("Create mapping file failed!\n");
        return;
    }
    SECURITY_ATTRIBUTES attributes;
    attributes.nLength = sizeof attributes;
    attributes.lpSecurityDescriptor = &security.descriptor;
    attributes.bInheritHandle = FALSE;
    HANDLE created = CreateFileMappingA(INVALID_HANDLE_VALUE, &attributes, PAGE_READWRITE, 0,
                                        region_size, region_name);
    if (created == nullptr) {
        log_message("Create mapping file failed!\n");
        return;
    }
    *region = created;

    volatile LONG *words =
        static_cast<volatile LONG *>(MapViewOfFile(created, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (words == nullptr) {
        return;
    }
    words[0] = 1;
    words[1] = 0;
    *view = const_cast<LONG *>(words);
}

void close_handshake(HANDLE region, void *view)
{
    if (region == nullptr) {
        return;
    }
    if (view != nullptr) {
        // A companion in another process sets word 1: every test reads it afresh.
        // The bound is time passed, not pauses made: a 1 ms pause lasts a
        // whole timer tick on Windows.
        volatile LONG *words = static_cast<volatile LONG *>(view);
        elapsed_clock clock;
        start_clock(&clock);
        while (words[1] != 1 && elapsed_ms(&clock) < acknowledgement_wait_ms) {
            Sleep(acknowledgement_pause_ms);
        }
        UnmapViewOfFile(view);
    }
    CloseHandle(region);
}
