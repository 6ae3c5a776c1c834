// Folders that only SYSTEM and Administrators may change: the install
// folder, which holds a LocalSystem service's program, and the
// uninstaller's working folder under the temp folder.
#pragma once

#include <windows.h>

// A security descriptor with its SIDs and DACL in fixed storage: owner
// Administrators; a protected DACL (nothing inherited from the parent) that
// gives SYSTEM and Administrators full control and, when asked, Users read
// and execute. Every entry is inherited by the folder's files and folders.
struct folder_security {
    SECURITY_DESCRIPTOR descriptor;
    DWORD acl[(sizeof(ACL) + 3 * (sizeof(ACCESS_ALLOWED_ACE) + SECURITY_MAX_SID_SIZE)) /
                  sizeof(DWORD) +
              1];
    DWORD system_sid[SECURITY_MAX_SID_SIZE / sizeof(DWORD) + 1];
    DWORD administrators_sid[SECURITY_MAX_SID_SIZE / sizeof(DWORD) + 1];
    DWORD users_sid[SECURITY_MAX_SID_SIZE / sizeof(DWORD) + 1];
};

// Fills security. 0 on success; -1 when the platform refuses a step
// (GetLastError tells why).
int build_folder_security(folder_security *security, bool users_read_execute);

// Creates the folder with that descriptor. 0 on success; -1 with
// GetLastError as CreateDirectoryA left it.
int create_protected_folder(const char *path, folder_security *security);

// Makes Administrators the owner of an existing folder and gives it the
// descriptor's DACL, taking ownership with SeTakeOwnershipPrivilege when
// its DACL does not let Administrators do so. 0 on success; -1 with
// GetLastError of the failing call.
int protect_existing_folder(const char *path, folder_security *security);
