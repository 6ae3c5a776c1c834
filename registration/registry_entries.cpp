#include "registration/registry_entries.h"

#include "core/install_context.h"
#include "core/text.h"
#include "registration/product_identity.h"

#include <string.h>
#include <windows.h>

namespace
{

const char policy_key[] = "SOFTWARE\\Policies\\Microsoft\\Windows\\WcmSvc\\GroupPolicy";
const char policy_value_name[] = "fMinimizeConnections";

struct uninstall_variant {
    const char *key;
    const char *install_location;
};

// The same folders that the install context derives, chosen by the same test.
const uninstall_variant variant_64bit = {
    "SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QUORVANTA4780",
    "C:\\Program Files (x86)\\QUORVANTA"};
const uninstall_variant variant_32bit = {
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QUORVANTA4780",
    "C:\\Program Files\\QUORVANTA"};

const char uninstaller_file[] = "\\uninstall.exe";
const char display_name[] = QV_PRODUCT_NAME;
const char publisher[] = QV_COMPANY_NAME;
const char display_version[] = QV_DISPLAY_VERSION;
const DWORD estimated_size_kb = 10240;

// A REG_SZ value: the text and its one terminating NUL, nothing more.
LONG write_text(HKEY key, const char *name, const char *text)
{
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text),
                          static_cast<DWORD>(strlen(text) + 1));
}

LONG write_number(HKEY key, const char *name, DWORD number)
{
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&number),
                          sizeof number);
}

void keep_first_failure(LONG *first, LONG status)
{
    if (*first == ERROR_SUCCESS) {
        *first = status;
    }
}

// The uninstaller's path in quotation marks: the folder holds blanks, and
// an unquoted path would let "C:\Program.exe" run in its place.
int quoted_uninstaller(char *target, size_t capacity, const char *install_location)
{
    if (text_copy(target, capacity, "\"") != 0 ||
        text_append(target, capacity, install_location) != 0 ||
        text_append(target, capacity, uninstaller_file) != 0 ||
        text_append(target, capacity, "\"") != 0) {
        return -1;
    }
    return 0;
}

} // namespace

int set_connection_policy()
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, policy_key, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return -1;
    }
    LONG status = write_number(key, policy_value_name, 0);
    RegCloseKey(key);
    return static_cast<int>(status);
}

int write_uninstall_entry()
{
    const uninstall_variant &variant = is_64bit_os() ? variant_64bit : variant_32bit;

    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, variant.key, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return -1;
    }

    // A failed write does not stop the others; the first failure is reported.
    LONG result = ERROR_SUCCESS;
    keep_first_failure(&result, write_text(key, "DisplayName", display_name));
    char uninstall_string[MAX_PATH];
    if (quoted_uninstaller(uninstall_string, sizeof uninstall_string, variant.install_location) ==
        0) {
        keep_first_failure(&result, write_text(key, "UninstallString", uninstall_string));
    } else {
        keep_first_failure(&result, ERROR_INSUFFICIENT_BUFFER);
    }
    keep_first_failure(&result, write_text(key, "Publisher", publisher));
    keep_first_failure(&result, write_text(key, "DisplayVersion", display_version));
    keep_first_failure(&result, write_text(key, "InstallLocation", variant.install_location));
    keep_first_failure(&result, write_number(key, "EstimatedSize", estimated_size_kb));
    RegCloseKey(key);
    return static_cast<int>(result);
}
