// Named kernel objects that only SYSTEM and Administrators may open: the
// handshake region and the installer's single-instance mutex.
#pragma once

#include <windows.h>

// A security descriptor with its DACL and SIDs in fixed storage:
// "D:P(A;;GA;;;SY)(A;;GA;;;BA)", full access for SYSTEM and Administrators
// only, nothing inherited.
struct object_security {
    SECURITY_DESCRIPTOR descriptor;
    DWORD acl[(sizeof(ACL) + 2 * (sizeof(ACCESS_ALLOWED_ACE) + SECURITY_MAX_SID_SIZE)) /
                  sizeof(DWORD) +
              1];
    DWORD system_sid[SECURITY_MAX_SID_SIZE / sizeof(DWORD) + 1];
    DWORD administrators_sid[SECURITY_MAX_SID_SIZE / sizeof(DWORD) + 1];
};

// Fills security. False when the platform refuses a step.
bool build_object_security(object_security *security);
