#include "setup/single_instance.h"

#include "core/protected_object.h"

#include <windows.h>

namespace
{

const char installer_mutex_name[] = "Global\\QUORVANTA4780Setup";

} // namespace

bool another_installer_running()
{
    // Nothing is logged here: the log belongs to whichever installer runs,
    // and a second one must not touch it. Nobody but SYSTEM and
    // Administrators may open the mutex, so nobody else can wait on it,
    // close it for us or change its protection.
    object_security security;
    if (!build_object_security(&security)) {
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
