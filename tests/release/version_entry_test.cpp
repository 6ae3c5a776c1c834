// The version resource of every shipped program against the uninstall
// entry that the installer writes: the entry's DisplayVersion, DisplayName
// and Publisher are captured from write_uninstall_entry, the resources read
// with the platform's version functions from the built programs.
#include "registration/registry_entries.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace
{

const HKEY captured_key = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x5150));
std::map<std::string, std::string> g_entry; // value name -> text

} // namespace

LONG WINAPI fake_RegCreateKeyExA(HKEY, LPCSTR, DWORD, LPSTR, DWORD, REGSAM, LPSECURITY_ATTRIBUTES,
                                 PHKEY result, LPDWORD)
{
    *result = captured_key;
    return ERROR_SUCCESS;
}

LONG WINAPI fake_RegSetValueExA(HKEY key, LPCSTR name, DWORD, DWORD type, const BYTE *data,
                                DWORD size)
{
    if (key != captured_key) {
        return ERROR_INVALID_HANDLE;
    }
    if (type == REG_SZ && size > 0) {
        g_entry[name] = std::string(reinterpret_cast<const char *>(data), size - 1);
    }
    return ERROR_SUCCESS;
}

LONG WINAPI fake_RegCloseKey(HKEY key)
{
    return key == captured_key ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

namespace
{

struct version_resource {
    bool found = false;
    std::string fixed_file_version;
    std::string fixed_product_version;
    std::map<std::string, std::string> strings;
};

std::string four_parts(DWORD most, DWORD least)
{
    return std::to_string(HIWORD(most)) + "." + std::to_string(LOWORD(most)) + "." +
           std::to_string(HIWORD(least)) + "." + std::to_string(LOWORD(least));
}

version_resource read_version_resource(const char *path)
{
    version_resource resource;
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &handle);
    if (size == 0) {
        return resource;
    }
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(path, 0, size, block.data())) {
        return resource;
    }
    VS_FIXEDFILEINFO *fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\", reinterpret_cast<void **>(&fixed), &length) ||
        length < sizeof *fixed) {
        return resource;
    }
    resource.found = true;
    resource.fixed_file_version = four_parts(fixed->dwFileVersionMS, fixed->dwFileVersionLS);
    resource.fixed_product_version =
        four_parts(fixed->dwProductVersionMS, fixed->dwProductVersionLS);

    // The string table that Windows shows: the one the first translation names.
    WORD *translation = nullptr;
    if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation",
                        reinterpret_cast<void **>(&translation), &length) ||
        length < 2 * sizeof(WORD)) {
        return resource;
    }
    char table[64];
    snprintf(table, sizeof table, "\\StringFileInfo\\%04x%04x\\", translation[0], translation[1]);
    for (const char *name : {"ProductVersion", "FileVersion", "ProductName", "CompanyName",
                             "FileDescription", "OriginalFilename", "LegalCopyright"}) {
        char *text = nullptr;
        if (VerQueryValueA(block.data(), (std::string(table) + name).c_str(),
                           reinterpret_cast<void **>(&text), &length) &&
            text != nullptr) {
            resource.strings[name] = text;
        }
    }
    return resource;
}

std::string file_name(const std::string &path)
{
    return path.substr(path.find_last_of("/\\") + 1);
}

} // namespace

TEST(VersionEntryTest, EveryShippedProgramCarriesTheUninstallEntrysNameAndVersion)
{
    g_entry.clear();
    ASSERT_EQ(0, write_uninstall_entry());
    const std::string display_version = g_entry["DisplayVersion"];
    const std::string display_name = g_entry["DisplayName"];
    const std::string publisher = g_entry["Publisher"];
    ASSERT_FALSE(display_version.empty());
    ASSERT_FALSE(display_name.empty());
    ASSERT_FALSE(publisher.empty());
    // The resources hold four parts; the entry shows the first three.
    const std::string full_version = display_version + ".0";

    std::vector<std::string> descriptions;
    for (const char *path :
         {QV_INSTALLER_EXE, QV_UNINSTALLER_EXE, QV_USB_SERVICE_EXE, QV_EJECT_SERVICE_EXE}) {
        SCOPED_TRACE(path);
        version_resource resource = read_version_resource(path);
        ASSERT_TRUE(resource.found);
        EXPECT_EQ(full_version, resource.fixed_file_version);
        EXPECT_EQ(full_version, resource.fixed_product_version);
        EXPECT_EQ(full_version, resource.strings["FileVersion"]);
        EXPECT_EQ(full_version, resource.strings["ProductVersion"]);
        EXPECT_EQ(display_name, resource.strings["ProductName"]);
        EXPECT_EQ(publisher, resource.strings["CompanyName"]);
        EXPECT_EQ(file_name(path), resource.strings["OriginalFilename"]);
        EXPECT_NE(std::string::npos, resource.strings["LegalCopyright"].find(publisher));
        EXPECT_FALSE(resource.strings["FileDescription"].empty());
        descriptions.push_back(resource.strings["FileDescription"]);
    }
    // Each program says what it is.
    for (size_t first = 0; first < descriptions.size(); ++first) {
        for (size_t second = first + 1; second < descriptions.size(); ++second) {
            EXPECT_NE(descriptions[first], descriptions[second]);
        }
    }
}
