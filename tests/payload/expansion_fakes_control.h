// What the expansion test's substitutes record, and the failures a test
// can arm in them.
#pragma once

#include <string>
#include <vector>

struct expansion_fakes {
    // "close inf", and any program started or wait begun ("system ...",
    // "start ...", "wait ...", "sleep ...", "read key"), in call order.
    std::vector<std::string> journal;
    // The fwrite call (0-based) that writes nothing; -1 for none.
    int fwrite_fails_at = -1;
    int fwrite_calls = 0;
    bool fclose_fails = false;
    bool directory_id_fails = false;
};

extern expansion_fakes g_fakes;

void reset_fakes();
