// The removal against the real setup library: fixture INFs are published
// as oemN.inf in the prefix's INF folder and removed again afterwards.
#include "driver/driver_removal.h"

#include "driver_test_support.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>
#include <vector>

namespace
{

std::string inf_with_version(const std::string &version_lines)
{
    return "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Net\r\n" + version_lines +
           "\r\n[Manufacturer]\r\n%Maker%=Models\r\n";
}

const std::string ndis650 = inf_with_version("CatalogFile=wlanbox_ndis650.cat");
const std::string ndis620 = inf_with_version("CatalogFile=wlanbox_ndis620.cat");
const std::string qv3357 = inf_with_version("CatalogFile=qv3357d_drv.cat");
const std::string foreign = inf_with_version("CatalogFile=other_vendor.cat");
const std::string upper_case = inf_with_version("CatalogFile=WLANBOX_NDIS650.cat");

// Match cases: a fixture's text, the section and key looked for, the code.
struct match_case {
    const char *name;
    std::string text; // empty: no file at all
    const char *section;
    const char *key;
    int expected;
};

std::vector<match_case> match_cases()
{
    return {
        {"match on a later line", ndis650, "version", "wlanbox_ndis", 0},
        {"longer key matches", ndis650, "version", "wlanbox_ndis650", 0},
        {"value equal to the key", inf_with_version("CatalogFile=wlanbox_ndis"), "version",
         "wlanbox_ndis", 0},
        {"section name in other case", ndis650, "VERSION", "wlanbox_ndis650", 0},
        {"other family", ndis620, "version", "wlanbox_ndis650", -1},
        {"value differs only in case", upper_case, "version", "wlanbox_ndis", -1},
        {"key of the line equals the search key", inf_with_version("wlanbox_ndis=other_vendor.cat"),
         "version", "wlanbox_ndis", -1},
        {"value shorter than the key", inf_with_version("CatalogFile=wlanbox"), "version",
         "wlanbox_ndis", -1},
        {"value too long to read",
         inf_with_version("CatalogFile=wlanbox_ndis650" + std::string(290, 'x')), "version",
         "wlanbox_ndis", -1},
        {"overlong value skipped, later line read",
         inf_with_version("DriverVer=wlanbox_ndis" + std::string(290, 'x') +
                          "\r\nCatalogFile=wlanbox_ndis650.cat"),
         "version", "wlanbox_ndis650", 0},
        {"no such file", "", "version", "wlanbox_ndis", -3},
        {"not a Windows-4 INF", "[Version]\r\nCatalogFile=wlanbox_ndis650.cat\r\n", "version",
         "wlanbox_ndis", -3},
        {"no such section", ndis650, "Strings", "wlanbox_ndis", -4},
        {"empty section", ndis650 + "[Models]\r\n", "Models", "wlanbox_ndis", -4},
    };
}

} // namespace

TEST(InfVersionHasPrefix, ResultCodesAgainstFixtures)
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string path =
        std::string(temp) + "qv_driver_match_" + std::to_string(GetCurrentProcessId()) + ".inf";
    for (const match_case &c : match_cases()) {
        DeleteFileA(path.c_str());
        if (!c.text.empty()) {
            ASSERT_TRUE(test_files::write_bytes(path, c.text));
        }
        EXPECT_EQ(c.expected, inf_version_has_prefix(c.section, c.key, path.c_str())) << c.name;
    }
    DeleteFileA(path.c_str());
}

TEST(InfVersionHasPrefix, PathWithoutFullFormIsMinusTwo)
{
    std::string overlong = "C:\\" + std::string(300, 'a') + ".inf";
    EXPECT_EQ(-2, inf_version_has_prefix("version", "wlanbox_ndis", overlong.c_str()));
    EXPECT_EQ(-2, inf_version_has_prefix("version", "wlanbox_ndis", ""));
}

namespace
{

struct published {
    int number;
    std::string text;
    bool held_open; // held without delete sharing: its removal fails
};

struct removal_case {
    const char *name;
    std::vector<published> store;
    std::vector<std::vector<std::string>> runs; // log messages of each run
    std::set<int> remaining;                    // numbers still published after all runs
};

std::vector<removal_case> removal_cases()
{
    const std::string done = "Previous version are deleted\n";
    return {
        {"nothing published", {}, {{done}}, {}},
        {"one newest package, foreign ones left alone",
         {{1, foreign, false}, {2, upper_case, false}, {5, ndis650, false}},
         {{"Uninstall wlanbox_ndis:5\n", done}, {done}},
         {1, 2}},
        {"two newest packages: pass 1 and pass 3",
         {{3, ndis650, false}, {7, ndis650, false}},
         {{"Uninstall wlanbox_ndis:3\n", "Uninstall qv4780d_drv:7\n", done}},
         {}},
        {"two older packages: one per run",
         {{3, ndis620, false}, {7, ndis620, false}},
         {{"Uninstall wlanbox_ndis:3\n", done}, {"Uninstall wlanbox_ndis:7\n", done}, {done}},
         {}},
        {"second family removed by pass 2",
         {{2, qv3357, false}, {4, ndis650, false}},
         {{"Uninstall wlanbox_ndis:4\n", "Uninstall qv3357d_drv:2\n", done}},
         {}},
        {"oem599 is the last candidate, oem600 never examined",
         {{599, ndis650, false}, {600, ndis650, false}},
         {{"Uninstall wlanbox_ndis:599\n", done}},
         {600}},
        {"a failed removal ends its pass",
         {{3, ndis650, true}, {7, ndis650, false}},
         {{done}},
         {3, 7}},
    };
}

std::string published_path(int number)
{
    return inf_folder() + "oem" + std::to_string(number) + ".inf";
}

class DriverRemoval : public testing::Test
{
  protected:
    void TearDown() override
    {
        for (HANDLE handle : held) {
            CloseHandle(handle);
        }
        for (int number : numbers) {
            DeleteFileA(published_path(number).c_str());
        }
    }

    void publish(const published &entry)
    {
        std::string path = published_path(entry.number);
        ASSERT_FALSE(test_files::exists(path)) << path << " is already published";
        numbers.push_back(entry.number);
        ASSERT_TRUE(test_files::write_bytes(path, entry.text)) << path;
        if (entry.held_open) {
            HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(INVALID_HANDLE_VALUE, handle);
            held.push_back(handle);
        }
    }

    std::vector<int> numbers;
    std::vector<HANDLE> held;
};

} // namespace

TEST_F(DriverRemoval, PassesOverPublishedPackages)
{
    for (const removal_case &c : removal_cases()) {
        SCOPED_TRACE(c.name);
        for (const published &entry : c.store) {
            publish(entry);
        }
        for (size_t run = 0; run < c.runs.size(); ++run) {
            use_fresh_log("removal");
            remove_old_driver_packages();
            EXPECT_EQ(c.runs[run], log_messages()) << "run " << run + 1;
        }
        for (const published &entry : c.store) {
            EXPECT_EQ(c.remaining.count(entry.number) == 1,
                      test_files::exists(published_path(entry.number)))
                << "oem" << entry.number << ".inf";
        }
        TearDown();
        numbers.clear();
        held.clear();
    }
}

// Not a check of speed, a measurement: the scan opens up to 1800
// candidates on every run.
TEST_F(DriverRemoval, ScanTime)
{
    use_fresh_log("scan_time");
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);

    QueryPerformanceCounter(&start);
    remove_old_driver_packages();
    QueryPerformanceCounter(&end);
    double empty_ms = 1000.0 * (end.QuadPart - start.QuadPart) / frequency.QuadPart;

    for (int number : {10, 20, 30, 40}) {
        publish({number, foreign, false});
    }
    QueryPerformanceCounter(&start);
    remove_old_driver_packages();
    QueryPerformanceCounter(&end);
    double some_ms = 1000.0 * (end.QuadPart - start.QuadPart) / frequency.QuadPart;

    printf("removal scan: %.1f ms with no candidates, %.1f ms with 4 foreign ones\n", empty_ms,
           some_ms);
    RecordProperty("scan_ms_empty", std::to_string(empty_ms));
    RecordProperty("scan_ms_four", std::to_string(some_ms));
}
