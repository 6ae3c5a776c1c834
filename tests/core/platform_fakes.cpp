#include "core_test_state.h"

#include "setup/cleanup.h"

#include <sddl.h>
#include <string.h>

core_test_state g_core_test;

void core_test_state::reset()
{
    version_fails = false;
    version_error = 0;
    major = 10;
    minor = 0;
    architecture = PROCESSOR_ARCHITECTURE_AMD64;
    fixed_time = false;
    memset(&time, 0, sizeof time);
    drive_root.clear();
    events.clear();
    descriptors.clear();
    owner_refusals = 0;
    dacl_fails = false;
}

std::string core_test_state::remap(const char *path) const
{
    // "C:\..." lands in the test's private folder when one is set.
    if (!drive_root.empty() && (path[0] == 'C' || path[0] == 'c') && path[1] == ':' &&
        path[2] == '\\') {
        return drive_root + (path + 2);
    }
    return path;
}

BOOL WINAPI fake_GetVersionExA(LPOSVERSIONINFOA info)
{
    if (g_core_test.version_fails) {
        SetLastError(g_core_test.version_error);
        return FALSE;
    }
    info->dwMajorVersion = g_core_test.major;
    info->dwMinorVersion = g_core_test.minor;
    return TRUE;
}

void WINAPI fake_GetNativeSystemInfo(LPSYSTEM_INFO info)
{
    GetNativeSystemInfo(info);
    info->wProcessorArchitecture = g_core_test.architecture;
}

void WINAPI fake_GetLocalTime(LPSYSTEMTIME time)
{
    if (g_core_test.fixed_time) {
        *time = g_core_test.time;
        return;
    }
    GetLocalTime(time);
}

DWORD WINAPI fake_GetFileAttributesA(LPCSTR path)
{
    return GetFileAttributesA(g_core_test.remap(path).c_str());
}

namespace
{

// The descriptor's owner and DACL as SDDL; Wine keeps file DACLs only as
// Unix modes, so the test reads what the installer hands over instead.
std::string descriptor_text(PSECURITY_DESCRIPTOR descriptor, SECURITY_INFORMATION information)
{
    if (descriptor == nullptr) {
        return "(none)";
    }
    char *text = nullptr;
    if (!ConvertSecurityDescriptorToStringSecurityDescriptorA(
            descriptor, SDDL_REVISION_1,
            information & (OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION), &text,
            nullptr)) {
        return "(unreadable)";
    }
    std::string result = text;
    LocalFree(text);
    return result;
}

} // namespace

BOOL WINAPI fake_SetFileSecurityA(LPCSTR path, SECURITY_INFORMATION information,
                                  PSECURITY_DESCRIPTOR descriptor)
{
    std::string what = information == OWNER_SECURITY_INFORMATION  ? "owner"
                       : information == DACL_SECURITY_INFORMATION ? "dacl"
                                                                  : std::to_string(information);
    g_core_test.events.push_back("secure " + what + " " + path);
    g_core_test.descriptors.push_back(std::string(path) + " " +
                                      descriptor_text(descriptor, information));
    if ((information == OWNER_SECURITY_INFORMATION && g_core_test.owner_refusals-- > 0) ||
        (information == DACL_SECURITY_INFORMATION && g_core_test.dacl_fails)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI fake_CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES attributes)
{
    g_core_test.events.push_back(std::string("create ") + path);
    g_core_test.descriptors.push_back(
        std::string(path) + " " +
        descriptor_text(attributes != nullptr ? attributes->lpSecurityDescriptor : nullptr,
                        OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION));
    return CreateDirectoryA(g_core_test.remap(path).c_str(), attributes);
}

// The cleanup has tests of its own; here only its place in the order counts.
void cleanup_earlier_installation(const char *install_dir)
{
    g_core_test.events.push_back(std::string("cleanup ") + install_dir);
}
