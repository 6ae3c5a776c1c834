#include "core/protected_object.h"

bool build_object_security(object_security *security)
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
