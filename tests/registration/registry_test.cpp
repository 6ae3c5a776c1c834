// The uninstall entry and the connection policy, written to the bench
// prefix's registry and read back; the architecture is substituted for the
// two variants, and chosen writes fail. Keys the test creates are removed.
#include "registration/registry_entries.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace
{

struct registry_fakes {
    WORD architecture = PROCESSOR_ARCHITECTURE_AMD64;
    bool refuse_keys = false;
    std::map<std::string, LONG> failing_values; // name -> status, nothing written
    std::vector<std::string> writes;            // value names in order of the attempts
} g_fakes;

} // namespace

void WINAPI fake_GetNativeSystemInfo(LPSYSTEM_INFO info)
{
    GetNativeSystemInfo(info);
    info->wProcessorArchitecture = g_fakes.architecture;
}

LONG WINAPI fake_RegCreateKeyExA(HKEY key, LPCSTR sub_key, DWORD reserved, LPSTR class_name,
                                 DWORD options, REGSAM access,
                                 LPSECURITY_ATTRIBUTES security_attributes, PHKEY result,
                                 LPDWORD disposition)
{
    if (g_fakes.refuse_keys) {
        return ERROR_ACCESS_DENIED;
    }
    return RegCreateKeyExA(key, sub_key, reserved, class_name, options, access, security_attributes,
                           result, disposition);
}

LONG WINAPI fake_RegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE *data,
                                DWORD size)
{
    g_fakes.writes.push_back(name);
    auto failure = g_fakes.failing_values.find(name);
    if (failure != g_fakes.failing_values.end()) {
        return failure->second;
    }
    return RegSetValueExA(key, name, reserved, type, data, size);
}

namespace
{

const char wow_key[] =
    "SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QUORVANTA4780";
const char native_key[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QUORVANTA4780";
const char policy_key[] = "SOFTWARE\\Policies\\Microsoft\\Windows\\WcmSvc\\GroupPolicy";

const std::vector<std::string> entry_order = {"DisplayName",    "UninstallString", "Publisher",
                                              "DisplayVersion", "InstallLocation", "EstimatedSize"};

bool key_exists(const std::string &path)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

struct stored_value {
    bool found = false;
    DWORD type = 0;
    std::string bytes;
};

stored_value read_value(const std::string &path, const char *name)
{
    stored_value value;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return value;
    }
    BYTE data[1024];
    DWORD size = sizeof data;
    if (RegQueryValueExA(key, name, nullptr, &value.type, data, &size) == ERROR_SUCCESS) {
        value.found = true;
        value.bytes.assign(reinterpret_cast<char *>(data), size);
    }
    RegCloseKey(key);
    return value;
}

void write_value(const std::string &path, const char *name, DWORD type, const std::string &bytes)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0,
                                             KEY_WRITE, nullptr, &key, nullptr));
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE *>(bytes.data()),
                             static_cast<DWORD>(bytes.size())));
    RegCloseKey(key);
}

// A REG_SZ value as the registry must hold it: the text and one NUL.
std::string text_bytes(const std::string &text)
{
    return text + std::string(1, '\0');
}

std::string dword_bytes(DWORD number)
{
    return std::string(reinterpret_cast<const char *>(&number), sizeof number);
}

class RegistryTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        g_fakes = registry_fakes();
        // Every level that is missing now is the test's to remove again.
        for (const char *path : {wow_key, native_key, policy_key}) {
            std::string level;
            std::string rest = path;
            while (!rest.empty()) {
                size_t cut = rest.find('\\');
                level += (level.empty() ? "" : "\\") + rest.substr(0, cut);
                rest = cut == std::string::npos ? "" : rest.substr(cut + 1);
                if (!key_exists(level)) {
                    created_keys.push_back(level);
                }
            }
        }
        policy_before = read_value(policy_key, "fMinimizeConnections");
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, wow_key);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, native_key);
    }
    void TearDown() override
    {
        g_fakes = registry_fakes();
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, wow_key);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, native_key);
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, policy_key, 0, KEY_WRITE, &key) == ERROR_SUCCESS) {
            RegDeleteValueA(key, "Other");
            if (policy_before.found) {
                RegSetValueExA(key, "fMinimizeConnections", 0, policy_before.type,
                               reinterpret_cast<const BYTE *>(policy_before.bytes.data()),
                               static_cast<DWORD>(policy_before.bytes.size()));
            } else {
                RegDeleteValueA(key, "fMinimizeConnections");
            }
            RegCloseKey(key);
        }
        // Deepest first.
        for (auto level = created_keys.rbegin(); level != created_keys.rend(); ++level) {
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, level->c_str());
        }
    }
    std::vector<std::string> created_keys;
    stored_value policy_before;
};

TEST_F(RegistryTest, UninstallEntryOfEachArchitectureReadsBackByteForByte)
{
    struct {
        WORD architecture;
        const char *key;
        const char *other_key;
        const char *uninstall_string;
        const char *location;
    } cases[] = {
        {PROCESSOR_ARCHITECTURE_AMD64, wow_key, native_key,
         "\"C:\\Program Files (x86)\\QUORVANTA\\uninstall.exe\"",
         "C:\\Program Files (x86)\\QUORVANTA"},
        {PROCESSOR_ARCHITECTURE_IA64, wow_key, native_key,
         "\"C:\\Program Files (x86)\\QUORVANTA\\uninstall.exe\"",
         "C:\\Program Files (x86)\\QUORVANTA"},
        {PROCESSOR_ARCHITECTURE_INTEL, native_key, wow_key,
         "\"C:\\Program Files\\QUORVANTA\\uninstall.exe\"", "C:\\Program Files\\QUORVANTA"},
    };
    for (const auto &one : cases) {
        SCOPED_TRACE(one.key);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, wow_key);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, native_key);
        g_fakes = registry_fakes();
        g_fakes.architecture = one.architecture;

        EXPECT_EQ(0, write_uninstall_entry());

        EXPECT_EQ(entry_order, g_fakes.writes);
        EXPECT_FALSE(key_exists(one.other_key));
        struct {
            const char *name;
            DWORD type;
            std::string bytes;
        } expected[] = {
            {"DisplayName", REG_SZ, text_bytes("Dodu6 802.11 ZI1800 ZUR Ezirova")},
            {"UninstallString", REG_SZ, text_bytes(one.uninstall_string)},
            {"Publisher", REG_SZ, text_bytes("QUOR")},
            {"DisplayVersion", REG_SZ, text_bytes("1.0.312")},
            {"InstallLocation", REG_SZ, text_bytes(one.location)},
            {"EstimatedSize", REG_DWORD, dword_bytes(10240)},
        };
        for (const auto &value : expected) {
            stored_value stored = read_value(one.key, value.name);
            EXPECT_TRUE(stored.found) << value.name;
            EXPECT_EQ(value.type, stored.type) << value.name;
            EXPECT_EQ(value.bytes, stored.bytes) << value.name;
        }
    }
    // The readers that take the whole data see exactly text and NUL.
    EXPECT_EQ(32u, read_value(native_key, "DisplayName").bytes.size());
    EXPECT_EQ(5u, read_value(native_key, "Publisher").bytes.size());
}

TEST_F(RegistryTest, ASecondWriteOverwritesItsValuesAndLeavesOthersAlone)
{
    write_value(wow_key, "DisplayName", REG_SZ, text_bytes("stale name"));
    write_value(wow_key, "EstimatedSize", REG_SZ, text_bytes("10240"));
    write_value(wow_key, "Comments", REG_SZ, text_bytes("kept"));
    write_value(policy_key, "fMinimizeConnections", REG_DWORD, dword_bytes(1));
    write_value(policy_key, "Other", REG_DWORD, dword_bytes(7));

    for (int run = 0; run < 2; ++run) {
        EXPECT_EQ(0, write_uninstall_entry());
        EXPECT_EQ(0, set_connection_policy());
    }

    EXPECT_EQ(text_bytes("Dodu6 802.11 ZI1800 ZUR Ezirova"),
              read_value(wow_key, "DisplayName").bytes);
    stored_value size = read_value(wow_key, "EstimatedSize");
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), size.type);
    EXPECT_EQ(dword_bytes(10240), size.bytes);
    EXPECT_EQ(text_bytes("kept"), read_value(wow_key, "Comments").bytes);

    stored_value policy = read_value(policy_key, "fMinimizeConnections");
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), policy.type);
    EXPECT_EQ(dword_bytes(0), policy.bytes);
    EXPECT_EQ(dword_bytes(7), read_value(policy_key, "Other").bytes);
}

TEST_F(RegistryTest, ConnectionPolicyIsAFourByteZero)
{
    EXPECT_EQ(0, set_connection_policy());
    stored_value policy = read_value(policy_key, "fMinimizeConnections");
    EXPECT_TRUE(policy.found);
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), policy.type);
    EXPECT_EQ(dword_bytes(0), policy.bytes);
}

TEST_F(RegistryTest, TheFirstFailedWriteIsReportedAndTheRestStillWritten)
{
    struct {
        std::map<std::string, LONG> failing;
        int result;
    } cases[] = {
        {{{"DisplayName", ERROR_ACCESS_DENIED}}, ERROR_ACCESS_DENIED},
        {{{"UninstallString", ERROR_NOT_ENOUGH_MEMORY}}, ERROR_NOT_ENOUGH_MEMORY},
        {{{"EstimatedSize", ERROR_NO_SYSTEM_RESOURCES}}, ERROR_NO_SYSTEM_RESOURCES},
        {{{"Publisher", ERROR_ACCESS_DENIED}, {"InstallLocation", ERROR_INVALID_FUNCTION}},
         ERROR_ACCESS_DENIED},
        {{{"InstallLocation", ERROR_INVALID_FUNCTION}}, ERROR_INVALID_FUNCTION},
    };
    for (const auto &one : cases) {
        SCOPED_TRACE(one.failing.begin()->first);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, wow_key);
        g_fakes = registry_fakes();
        g_fakes.failing_values = one.failing;

        EXPECT_EQ(one.result, write_uninstall_entry());

        EXPECT_EQ(entry_order, g_fakes.writes);
        for (const std::string &name : entry_order) {
            EXPECT_EQ(one.failing.count(name) == 0, read_value(wow_key, name.c_str()).found)
                << name;
        }
    }

    g_fakes = registry_fakes();
    g_fakes.failing_values = {{"fMinimizeConnections", ERROR_ACCESS_DENIED}};
    EXPECT_EQ(ERROR_ACCESS_DENIED, set_connection_policy());
}

TEST_F(RegistryTest, AKeyThatCannotBeOpenedGivesMinusOneAndNoWrite)
{
    g_fakes.refuse_keys = true;
    EXPECT_EQ(-1, write_uninstall_entry());
    EXPECT_EQ(-1, set_connection_policy());
    EXPECT_TRUE(g_fakes.writes.empty());
}

} // namespace
