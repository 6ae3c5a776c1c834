// The DACL of a kernel object as SDDL text, as the platform reads it back.
#pragma once

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <string>

namespace test_files
{

// "" when the DACL cannot be read.
inline std::string object_dacl(HANDLE object)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(object, SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                        nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
        return "";
    }
    char *sddl = nullptr;
    std::string text;
    if (ConvertSecurityDescriptorToStringSecurityDescriptorA(
            descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &sddl, nullptr)) {
        text = sddl;
        LocalFree(sddl);
    }
    LocalFree(descriptor);
    return text;
}

} // namespace test_files
