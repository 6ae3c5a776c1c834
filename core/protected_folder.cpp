#include "core/protected_folder.h"

namespace
{

const DWORD inherited_by_all = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
const DWORD read_execute = FILE_GENERIC_READ | FILE_GENERIC_EXECUTE;
const char take_ownership_privilege[] = "SeTakeOwnershipPrivilege";

// Enables or disables one privilege of the process token; the token keeps
// it only while the owner is changed. 0 when the privilege is now as asked.
int set_privilege(const char *name, bool enable)
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
        return -1;
    }
    TOKEN_PRIVILEGES privileges;
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
    int result = -1;
    if (LookupPrivilegeValueA(nullptr, name, &privileges.Privileges[0].Luid) &&
        AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) &&
        GetLastError() == ERROR_SUCCESS) {
        result = 0;
    }
    DWORD error = GetLastError();
    CloseHandle(token);
    SetLastError(error);
    return result;
}

} // namespace

int build_folder_security(folder_security *security, bool users_read_execute)
{
    DWORD sid_size = sizeof security->system_sid;
    if (!CreateWellKnownSid(WinLocalSystemSid, nullptr, security->system_sid, &sid_size)) {
        return -1;
    }
    sid_size = sizeof security->administrators_sid;
    if (!CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, security->administrators_sid,
                            &sid_size)) {
        return -1;
    }
    sid_size = sizeof security->users_sid;
    if (!CreateWellKnownSid(WinBuiltinUsersSid, nullptr, security->users_sid, &sid_size)) {
        return -1;
    }
    PACL acl = reinterpret_cast<PACL>(security->acl);
    if (!InitializeAcl(acl, sizeof security->acl, ACL_REVISION) ||
        !AddAccessAllowedAceEx(acl, ACL_REVISION, inherited_by_all, FILE_ALL_ACCESS,
                               security->system_sid) ||
        !AddAccessAllowedAceEx(acl, ACL_REVISION, inherited_by_all, FILE_ALL_ACCESS,
                               security->administrators_sid)) {
        return -1;
    }
    if (users_read_execute && !AddAccessAllowedAceEx(acl, ACL_REVISION, inherited_by_all,
                                                     read_execute, security->users_sid)) {
        return -1;
    }
    if (!InitializeSecurityDescriptor(&security->descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorOwner(&security->descriptor, security->administrators_sid, FALSE) ||
        !SetSecurityDescriptorDacl(&security->descriptor, TRUE, acl, FALSE) ||
        !SetSecurityDescriptorControl(&security->descriptor, SE_DACL_PROTECTED,
                                      SE_DACL_PROTECTED)) {
        return -1;
    }
    return 0;
}

int create_protected_folder(const char *path, folder_security *security)
{
    SECURITY_ATTRIBUTES attributes;
    attributes.nLength = sizeof attributes;
    attributes.lpSecurityDescriptor = &security->descriptor;
    attributes.bInheritHandle = FALSE;
    return CreateDirectoryA(path, &attributes) ? 0 : -1;
}

int protect_existing_folder(const char *path, folder_security *security)
{
    // A link would carry the descriptor to whatever it points at.
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return -1;
    }
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        SetLastError(ERROR_CANT_RESOLVE_FILENAME);
        return -1;
    }
    // The owner first: as owner, Administrators may then write the DACL
    // whatever the folder's present DACL says. Taking ownership needs the
    // privilege when that DACL grants no WRITE_OWNER.
    if (!SetFileSecurityA(path, OWNER_SECURITY_INFORMATION, &security->descriptor)) {
        if (set_privilege(take_ownership_privilege, true) != 0) {
            return -1;
        }
        BOOL owned = SetFileSecurityA(path, OWNER_SECURITY_INFORMATION, &security->descriptor);
        DWORD error = GetLastError();
        set_privilege(take_ownership_privilege, false);
        if (!owned) {
            SetLastError(error);
            return -1;
        }
    }
    return SetFileSecurityA(path, DACL_SECURITY_INFORMATION, &security->descriptor) ? 0 : -1;
}
