// Staging over a table of copy outcomes, and install_driver's course: the
// copy, the pauses and the device-node calls are scripted and recorded.
#include "driver/driver_staging.h"

#include "driver_fakes.h"
#include "driver_test_support.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

// The removal has its own tests; here only its place in the order counts.
void remove_old_driver_packages()
{
    g_fakes.events.push_back("remove");
}

namespace
{

const DWORD store_refused = 0xE0000247;
const char *const inf_path = "C:\\Program Files (x86)\\QUORVANTA\\4780DV\\wlanbox_ndis650.inf";

std::string refused_line(int attempt)
{
    return "The " + std::to_string(attempt) +
           " time trying for copying .inf file failed: e0000247\n";
}

struct staging_case {
    const char *name;
    std::vector<DWORD> copy_errors; // one per copy call, 0 publishes
    int result;
    std::vector<std::string> events;
    std::vector<std::string> log;
};

std::vector<staging_case> staging_cases()
{
    std::vector<staging_case> cases = {
        {"published at once", {0}, 0, {"remove", "copy"}, {}},
        {"already published, replaced at once",
         {ERROR_FILE_EXISTS, 0},
         0,
         {"remove", "copy", "replace"},
         {}},
        {"replace fails, next attempt copies anew",
         {ERROR_FILE_EXISTS, ERROR_ACCESS_DENIED, 0},
         0,
         {"remove", "copy", "replace", "sleep 1000", "copy"},
         {"Replace .inf file failed: 5\n"}},
        {"store refuses three times, then takes it",
         {store_refused, store_refused, store_refused, 0},
         0,
         {"remove", "copy", "sleep 1000", "copy", "sleep 1000", "copy", "sleep 1000", "copy"},
         {refused_line(0), refused_line(1), refused_line(2)}},
        {"attempt number counts every attempt",
         {ERROR_FILE_EXISTS, ERROR_SHARING_VIOLATION, store_refused, 0},
         0,
         {"remove", "copy", "replace", "sleep 1000", "copy", "sleep 1000", "copy"},
         {"Replace .inf file failed: 20\n", refused_line(1)}},
        {"store refuses twice, then another error",
         {store_refused, store_refused, ERROR_FILE_NOT_FOUND},
         -1,
         {"remove", "copy", "sleep 1000", "copy", "sleep 1000", "copy"},
         {refused_line(0), refused_line(1), "First try for copying .inf file failed: 2\n"}},
        {"source INF missing",
         {ERROR_FILE_NOT_FOUND},
         -1,
         {"remove", "copy"},
         {"First try for copying .inf file failed: 2\n"}},
    };

    // Sixty refusals: the package never reached the store, so it is a failure.
    staging_case refused = {"store refuses all sixty attempts", {}, -1, {"remove"}, {}};
    staging_case replace_failing = {"replace fails on all sixty attempts", {}, -1, {"remove"}, {}};
    for (int attempt = 0; attempt < 60; ++attempt) {
        refused.copy_errors.push_back(store_refused);
        refused.events.insert(refused.events.end(), {"copy", "sleep 1000"});
        refused.log.push_back(refused_line(attempt));
        replace_failing.copy_errors.insert(replace_failing.copy_errors.end(),
                                           {ERROR_FILE_EXISTS, store_refused});
        replace_failing.events.insert(replace_failing.events.end(),
                                      {"copy", "replace", "sleep 1000"});
        replace_failing.log.push_back("Replace .inf file failed: e0000247\n");
    }
    cases.push_back(refused);
    cases.push_back(replace_failing);
    return cases;
}

} // namespace

TEST(StageDriverPackage, CopyOutcomes)
{
    for (const staging_case &c : staging_cases()) {
        SCOPED_TRACE(c.name);
        g_fakes.reset();
        g_fakes.copy_errors.assign(c.copy_errors.begin(), c.copy_errors.end());
        use_fresh_log("staging");

        EXPECT_EQ(c.result, stage_driver_package(inf_path));

        EXPECT_EQ(c.events, g_fakes.events);
        EXPECT_EQ(c.log, log_messages());
        EXPECT_TRUE(g_fakes.copy_errors.empty()) << "copies left unused";
        for (const std::string &source : g_fakes.copy_sources) {
            EXPECT_EQ(inf_path, source);
        }
    }
}

namespace
{

struct install_case {
    const char *name;
    std::vector<DWORD> copy_errors;
    CONFIGRET locate_result;
    int result;
    std::vector<std::string> events;
    std::vector<std::string> log_after_path; // after "inf_path=..."
};

} // namespace

TEST(InstallDriver, ReenumeratesOnlyAfterSuccessfulStaging)
{
    std::vector<DWORD> sixty_refusals(60, store_refused);
    std::vector<std::string> sixty_attempts = {"remove"};
    std::vector<std::string> sixty_lines;
    for (int attempt = 0; attempt < 60; ++attempt) {
        sixty_attempts.insert(sixty_attempts.end(), {"copy", "sleep 1000"});
        sixty_lines.push_back(refused_line(attempt));
    }

    const std::vector<install_case> cases = {
        {"staged and re-enumerated",
         {0},
         CR_SUCCESS,
         0,
         {"remove", "copy", "locate", "reenumerate"},
         {}},
        {"replaced and re-enumerated",
         {ERROR_FILE_EXISTS, 0},
         CR_SUCCESS,
         0,
         {"remove", "copy", "replace", "locate", "reenumerate"},
         {}},
        {"staging fails: no re-enumeration",
         {ERROR_FILE_NOT_FOUND},
         CR_SUCCESS,
         -1,
         {"remove", "copy"},
         {"First try for copying .inf file failed: 2\n"}},
        {"sixty refusals: no re-enumeration", sixty_refusals, CR_SUCCESS, -1, sixty_attempts,
         sixty_lines},
        {"re-enumeration fails",
         {0},
         0x13,
         -1,
         {"remove", "copy", "locate"},
         {"CM_Locate_DevNode failed: 13\n"}},
    };
    for (const install_case &c : cases) {
        SCOPED_TRACE(c.name);
        g_fakes.reset();
        g_fakes.copy_errors.assign(c.copy_errors.begin(), c.copy_errors.end());
        g_fakes.locate_result = c.locate_result;
        use_fresh_log("install_driver");
        install_context context = {};
        context.inf_found = 1;
        strcpy(context.inf_path, inf_path);

        EXPECT_EQ(c.result, install_driver(&context));

        std::vector<std::string> log = {std::string("inf_path=") + inf_path + "\n"};
        log.insert(log.end(), c.log_after_path.begin(), c.log_after_path.end());
        EXPECT_EQ(log, log_messages());
        EXPECT_EQ(c.events, g_fakes.events);
        for (const std::string &source : g_fakes.copy_sources) {
            EXPECT_EQ(inf_path, source);
        }
    }
}
