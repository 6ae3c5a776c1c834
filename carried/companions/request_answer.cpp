#include "carried/companions/request_answer.h"

#include "core/elapsed_clock.h"

namespace
{

const char region_name[] = "Global\\QUorProcMsg";

// The installer creates the region before it starts the services and posts
// its request at once, so two minutes is ample for either to appear.
const DWORD handshake_limit_ms = 120000;
const DWORD poll_interval_ms = 10;

// Pauses one poll interval; true when a stop arrived meanwhile.
bool stop_arrived(HANDLE stop_event)
{
    return WaitForSingleObject(stop_event, poll_interval_ms) == WAIT_OBJECT_0;
}

} // namespace

void acknowledge_request(HANDLE stop_event)
{
    // A 10 ms wait lasts a whole timer tick on Windows (15.6 ms by
    // default): the limit is time passed, whatever the polls took.
    elapsed_clock clock;
    start_clock(&clock);
    HANDLE region = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, region_name);
    while (region == nullptr) {
        if (elapsed_ms(&clock) >= handshake_limit_ms || stop_arrived(stop_event)) {
            return;
        }
        region = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, region_name);
    }

    // Another process writes the words: every test reads them afresh.
    volatile LONG *words =
        static_cast<volatile LONG *>(MapViewOfFile(region, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (words != nullptr) {
        while (words[0] != 1 && elapsed_ms(&clock) < handshake_limit_ms &&
               !stop_arrived(stop_event)) {
        }
        if (words[0] == 1) {
            words[1] = 1;
        }
        UnmapViewOfFile(const_cast<LONG *>(words));
    }
    CloseHandle(region);
}
