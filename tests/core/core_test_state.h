// What the core tests' substitutes report and record.
#pragma once

#include "platform_fakes.h"

#include <string>
#include <vector>

struct core_test_state {
    bool version_fails;
    DWORD version_error;
    DWORD major;
    DWORD minor;
    WORD architecture;
    bool fixed_time;
    SYSTEMTIME time;
    std::string drive_root; // private stand-in for "C:"; empty: the real drive
    std::vector<std::string> events;
    // What each folder was given: "<path> <SDDL>", for creation and for
    // every security set, in call order.
    std::vector<std::string> descriptors;
    int owner_refusals; // owner sets refused with access denied before one succeeds
    bool dacl_fails;

    void reset();
    std::string remap(const char *path) const;
};

extern core_test_state g_core_test;
