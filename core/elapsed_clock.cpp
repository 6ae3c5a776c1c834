#include "core/elapsed_clock.h"

namespace
{

ULONGLONG read_ticks(const elapsed_clock *clock)
{
    if (clock->tick_count_64 != nullptr) {
        return clock->tick_count_64();
    }
    return GetTickCount();
}

} // namespace

void start_clock(elapsed_clock *clock)
{
    // Looked up, not imported: Windows XP has no GetTickCount64, and an
    // import it cannot resolve would stop the program from loading there.
    clock->tick_count_64 = nullptr;
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel != nullptr) {
        clock->tick_count_64 = reinterpret_cast<ULONGLONG(WINAPI *)()>(
            reinterpret_cast<void (*)()>(GetProcAddress(kernel, "GetTickCount64")));
    }
    clock->start = read_ticks(clock);
}

DWORD elapsed_ms(const elapsed_clock *clock)
{
    // Modulo 2^32: a GetTickCount reading that wrapped past zero still
    // gives the true difference.
    return static_cast<DWORD>(read_ticks(clock) - clock->start);
}
