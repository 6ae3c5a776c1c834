// The removal with a scripted Windows directory: one too long for the
// candidate paths, or none at all, skips the removal; one that just fits
// scans every candidate with its whole path.
#include "driver/driver_removal.h"

#include "driver_test_support.h"
#include "removal_fakes.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

namespace
{

std::string windows_directory; // empty: the call fails
size_t open_count;
std::string longest_open;
int uninstall_count;

} // namespace

UINT WINAPI fake_GetWindowsDirectoryA(LPSTR buffer, UINT size)
{
    if (windows_directory.empty()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    }
    // As the platform: too small a buffer gets the size needed, nothing else.
    if (windows_directory.size() >= size) {
        return static_cast<UINT>(windows_directory.size() + 1);
    }
    memcpy(buffer, windows_directory.c_str(), windows_directory.size() + 1);
    return static_cast<UINT>(windows_directory.size());
}

HINF WINAPI fake_SetupOpenInfFileA(PCSTR name, PCSTR, DWORD, PUINT)
{
    ++open_count;
    if (strlen(name) >= longest_open.size()) {
        longest_open = name;
    }
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
}

BOOL WINAPI fake_SetupUninstallOEMInfA(PCSTR, DWORD, PVOID)
{
    ++uninstall_count;
    return TRUE;
}

namespace
{

struct limit_case {
    const char *name;
    size_t directory_length; // 0: the call fails
    std::vector<std::string> log;
    size_t opens;
};

} // namespace

TEST(DriverRemovalLimits, WindowsDirectoryLength)
{
    const std::string too_long = "Windows directory too long, earlier packages not removed\n";
    // "\inf\" and "oem599.inf" add 15 characters; 255 is the most that fits.
    const std::vector<limit_case> cases = {
        {"fits exactly", 240, {"Previous version are deleted\n"}, 1800},
        {"one character too many", 241, {too_long}, 0},
        {"fills the folder buffer", 255, {too_long}, 0},
        {"longer than the folder buffer", 300, {too_long}, 0},
        {"not obtained",
         0,
         {"Windows directory not obtained: 5, earlier packages not removed\n"},
         0},
    };
    for (const limit_case &c : cases) {
        SCOPED_TRACE(c.name);
        windows_directory.clear();
        if (c.directory_length > 0) {
            windows_directory = "C:\\" + std::string(c.directory_length - 3, 'w');
        }
        open_count = 0;
        longest_open.clear();
        uninstall_count = 0;
        use_fresh_log("limits");

        remove_old_driver_packages();

        EXPECT_EQ(c.log, log_messages());
        EXPECT_EQ(c.opens, open_count);
        EXPECT_EQ(0, uninstall_count);
        if (c.opens > 0) {
            EXPECT_EQ(windows_directory + "\\inf\\oem599.inf", longest_open);
        }
    }
}
