// Re-enumeration and its disable/enable fallback over scripted device-node
// answers: results, log lines, status lines on standard output, and the
// order of calls and pauses.
#include "driver/device_reenumeration.h"

#include "driver_fakes.h"
#include "driver_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

const device_status started = {CR_SUCCESS, 0x180A, 0};
const device_status stopped = {CR_SUCCESS, 0x1802, 0};

const std::string line_already_disabled =
    "The device is already disabled, no need to disable it again\n";
const std::string line_disabled = "The device was disabled successfully\n";
const std::string line_disable_timeout = "Disabling the device timed out\n";
const std::string line_enabled = "The device was enabled successfully\n";

std::string with_error(const char *text, const char *hex)
{
    return std::string(text) + " (error: 0x" + hex + ")\n";
}

struct fallback_case {
    const char *name;
    CONFIGRET locate_result;
    CONFIGRET reenumerate_result;
    CONFIGRET disable_result;
    CONFIGRET enable_result;
    std::vector<device_status> statuses;
    int result;
    std::vector<std::string> events;
    std::vector<std::string> log;
    std::string status_lines;
};

void append_polls(std::vector<std::string> *events, int polls)
{
    for (int i = 0; i < polls; ++i) {
        events->insert(events->end(), {"sleep 500", "status"});
    }
}

std::vector<fallback_case> fallback_cases()
{
    const std::string refused = "CM_Reenumerate_DevNode failed: 2b\n";
    std::vector<fallback_case> cases = {
        {"re-enumeration accepted",
         CR_SUCCESS,
         CR_SUCCESS,
         CR_SUCCESS,
         CR_SUCCESS,
         {},
         0,
         {"locate", "reenumerate"},
         {},
         ""},
        {"root node not located",
         0x13,
         CR_SUCCESS,
         CR_SUCCESS,
         CR_SUCCESS,
         {},
         -1,
         {"locate"},
         {"CM_Locate_DevNode failed: 13\n"},
         ""},
        {"node not started: no disable, pause, enable",
         CR_SUCCESS,
         0x2B,
         CR_SUCCESS,
         CR_SUCCESS,
         {stopped, started},
         0,
         {"locate", "reenumerate", "status", "sleep 2000", "enable", "sleep 500", "status"},
         {refused},
         line_already_disabled + line_enabled},
        {"first status query fails",
         CR_SUCCESS,
         0x2B,
         CR_SUCCESS,
         CR_SUCCESS,
         {{0x3A, 0, 0}},
         -1,
         {"locate", "reenumerate", "status"},
         {refused, "DisableDevice failed\n"},
         with_error("Cannot get the device status", "3A")},
        {"disable refused",
         CR_SUCCESS,
         0x2B,
         0x17,
         CR_SUCCESS,
         {started},
         -1,
         {"locate", "reenumerate", "status", "disable"},
         {refused, "DisableDevice failed\n"},
         with_error("CM_Disable_DevNode failed", "17")},
        {"enable refused",
         CR_SUCCESS,
         0x2B,
         CR_SUCCESS,
         0x1F,
         {stopped},
         -1,
         {"locate", "reenumerate", "status", "sleep 2000", "enable"},
         {refused, "EnableDevice failed\n"},
         line_already_disabled + with_error("CM_Enable_DevNode failed", "1F")},
    };

    // Stopped at the third poll, then started without a problem at the
    // second enable poll (after one with a problem).
    fallback_case third = {"node stops at the third poll",
                           CR_SUCCESS,
                           0x2B,
                           CR_SUCCESS,
                           CR_SUCCESS,
                           {started, started, started, stopped, {CR_SUCCESS, 0x180A, 24}, started},
                           0,
                           {"locate", "reenumerate", "status", "disable"},
                           {refused},
                           line_disabled + line_enabled};
    append_polls(&third.events, 3);
    third.events.insert(third.events.end(), {"sleep 2000", "enable"});
    append_polls(&third.events, 2);
    cases.push_back(third);

    fallback_case never = {"node never stops",
                           CR_SUCCESS,
                           0x2B,
                           CR_SUCCESS,
                           CR_SUCCESS,
                           std::vector<device_status>(11, started),
                           -1,
                           {"locate", "reenumerate", "status", "disable"},
                           {refused, "DisableDevice failed\n"},
                           line_disable_timeout};
    append_polls(&never.events, 10);
    cases.push_back(never);

    // The last of twenty polls decides the values in the timeout line.
    fallback_case problem = {"enabled but keeps a problem",
                             CR_SUCCESS,
                             0x2B,
                             CR_SUCCESS,
                             CR_SUCCESS,
                             {stopped},
                             -1,
                             {"locate", "reenumerate", "status", "sleep 2000", "enable"},
                             {refused, "EnableDevice failed\n"},
                             line_already_disabled +
                                 "Enabling the device timed out (status: 0x180A, problem: 43)\n"};
    for (int poll = 0; poll < 19; ++poll) {
        problem.statuses.push_back({CR_SUCCESS, 0x1802, 28});
    }
    problem.statuses.push_back({CR_SUCCESS, 0x180A, 43});
    append_polls(&problem.events, 20);
    cases.push_back(problem);

    fallback_case disable_query = {"status query fails while disabling",
                                   CR_SUCCESS,
                                   0x2B,
                                   CR_SUCCESS,
                                   CR_SUCCESS,
                                   {started, started, {0x2A, 0, 0}},
                                   -1,
                                   {"locate", "reenumerate", "status", "disable"},
                                   {refused, "DisableDevice failed\n"},
                                   with_error("Reading the device status failed", "2A")};
    append_polls(&disable_query.events, 2);
    cases.push_back(disable_query);

    fallback_case enable_query = {"status query fails while enabling",
                                  CR_SUCCESS,
                                  0x2B,
                                  CR_SUCCESS,
                                  CR_SUCCESS,
                                  {stopped, {CR_SUCCESS, 0x1802, 10}, {0x2A, 0, 0}},
                                  -1,
                                  {"locate", "reenumerate", "status", "sleep 2000", "enable"},
                                  {refused, "EnableDevice failed\n"},
                                  line_already_disabled +
                                      with_error("Reading the device status failed", "2A")};
    append_polls(&enable_query.events, 2);
    cases.push_back(enable_query);
    return cases;
}

void load(const fallback_case &c)
{
    g_fakes.reset();
    g_fakes.locate_result = c.locate_result;
    g_fakes.reenumerate_result = c.reenumerate_result;
    g_fakes.disable_result = c.disable_result;
    g_fakes.enable_result = c.enable_result;
    g_fakes.statuses.assign(c.statuses.begin(), c.statuses.end());
}

} // namespace

TEST(ReenumerateDevices, FallbackCourse)
{
    for (const fallback_case &c : fallback_cases()) {
        SCOPED_TRACE(c.name);
        load(c);
        use_fresh_log("reenumeration");

        start_stdout_capture();
        int result = reenumerate_devices();
        std::string status_lines = stop_stdout_capture();

        EXPECT_EQ(c.result, result);
        EXPECT_EQ(c.events, g_fakes.events);
        EXPECT_EQ(c.log, log_messages());
        EXPECT_EQ(c.status_lines, status_lines);
        EXPECT_TRUE(g_fakes.statuses.empty()) << "status answers left unused";
    }
}

TEST(DeviceNode, OperationsReturnOneOrZero)
{
    const DEVINST root = 0x2a61;
    g_fakes.reset();
    g_fakes.statuses = {stopped};
    start_stdout_capture();
    EXPECT_EQ(1, disable_devnode(root));
    g_fakes.statuses = {started, started, stopped};
    EXPECT_EQ(1, disable_devnode(root));
    g_fakes.statuses = {started};
    g_fakes.disable_result = 0x17;
    EXPECT_EQ(0, disable_devnode(root));
    g_fakes.statuses = {started};
    EXPECT_EQ(1, enable_devnode(root));
    g_fakes.enable_result = 0x1F;
    EXPECT_EQ(0, enable_devnode(root));
    stop_stdout_capture();
}
