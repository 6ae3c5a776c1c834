#include "setup/single_instance.h"

#include <windows.h>

namespace
{

const char installer_mutex_name[] = "Global\\QUORVANTA4780Setup";

// A descriptor with its DACL and SIDs in fixed storage.
struct mutex_security {
    SECURITY_DESCRIPTOR descriptor;
    DWORD acl[(sizeof(ACL) + 2 * (sizeof(ACCESS_ALLOWED_ACE) + SECURITY_MAX_SID_SIZE)) /
                  sizeof(DWORD) +
              1];
    DWORD system_sid[SECURITY_MAX_SID_SIZE / sizeof(DWORD) + 1];
    DWORD administrators_sid[SECURITY_MAX_SID_SIZE / sizeof(DWORD) + 1];
};

// "D:P(A;;GA;;;SY)(A;;GA;;;BA)": nobody else may open the mutex, so nobody
// else can wait on it, close it for us or change its protection.
bool build_mutex_security(mutex_security *security)
{
    DWORD sid_size = sizeof security->system_sid;
    if (!CreateWellKnownSid(WinLocalSystemSid, nullptr, security->system_sid, &sid_size)) {
        return false;
    }
    sid_size = sizeof security->administrators_sid;
    if (!CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, security->administrators_sid,
                            &sid_size)) {
        return false;
    }
    PACL acl = reinterpret_cast<PACL>(security->acl);
    return InitializeAcl(acl, sizeof security->acl, ACL_REVISION) &&
           AddAccessAllowedAce(acl, ACL_REVISION, GENERIC_ALL, security->system_sid) &&
           AddAccessAllowedAce(acl, ACL_REVISION, GENERIC_ALL, security->administrators_sid) &&
           InitializeSecurityDescriptor(&security->descriptor, SECURITY_DESCRIPTOR_REVISION) &&
           SetSecurityDescriptorDacl(&security->descriptor, TRUE, acl, FALSE) &&
           SetSecurityDescriptorControl(&security->descriptor, SE_DACL_PROTECTED,
                                        SE_DACL_PROTECTED);
}

} // namespace

bool another_installer_running()
{
    // Nothing is logged here: the log belongs to whichever installer runs,
    // and a second one must not touch it.
    mutex_security security;
    if (!build_mutex_security(&security)) {
        return false;
    }
    SECURITY_ATTRIBUTES attributes;
    attributes.nLength = sizeof attributes;
    attributes.lpSecurityDescriptor = &security.descriptor;
    attributes.bInheritHandle = FALSE;

    // Its existence is the sign; the handle is never closed, so the mutex
    // lives exactly as long as this process.
    HANDLE mutex = CreateMutexA(&attributes, FALSE, installer_mutex_name);
    if (mutex == nullptr) {
        // Access denied means a mutex of that name that is not ours (ours
        // admits Administrators): it must not keep the installer from running.
        return false;
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return true;
    }
    return false;
}
