// Bounds of waits in milliseconds actually passed: a count of short sleeps
// stretches with the platform's timer tick (15.6 ms by default on Windows).
#pragma once

#include <windows.h>

// Where a wait began, and the clock it is measured with.
struct elapsed_clock {
    ULONGLONG(WINAPI *tick_count_64)(); // null where the system lacks GetTickCount64
    ULONGLONG start;
};

// Starts measuring: GetTickCount64 where the system has it, else GetTickCount.
void start_clock(elapsed_clock *clock);

// Milliseconds since start_clock; right across GetTickCount's wrap-around
// for any wait shorter than 49 days.
DWORD elapsed_ms(const elapsed_clock *clock);
