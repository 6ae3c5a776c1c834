// The payload pairs: a cabinet and the setup script that expands it.
#pragma once

struct payload_pair {
    const unsigned char *cabinet;
    int cabinet_length;
    const unsigned char *script;
    int script_length;
};

// The common pair, expanded on every run.
payload_pair common_payload_pair();

// The driver pair for sys_type: 0 and the pair for 3 to 6; -1 and an empty
// pair for any other value.
int driver_payload_pair(int sys_type, payload_pair *pair);
