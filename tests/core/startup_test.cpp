// The start-up and the installation sequence, with every step substituted
// by a recorder and the real window, threads and message loop.
#include "core/install_context.h"
#include "core/install_log.h"
#include "driver/driver_staging.h"
#include "payload/cabinet_expansion.h"
#include "registration/handshake.h"
#include "registration/registry_entries.h"
#include "registration/services.h"
#include "setup/context_init.h"
#include "setup/install_sequence.h"
#include "setup/single_instance.h"
#include "test_files.h"
#include "ui/progress_window.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

install_context g_install_context;

namespace
{

struct startup_state {
    bool fail_worker_thread;
    bool fail_animator_thread;
    bool fail_class;
    bool extract_finds_inf;
    bool another_installer;
    std::vector<std::string> events;
    std::vector<HANDLE> threads;
};

startup_state state;

void record(const std::string &step)
{
    state.events.push_back(step + "@" + std::to_string(g_progress_window.progress_target.load()));
}

} // namespace

HANDLE WINAPI fake_CreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stack,
                                LPTHREAD_START_ROUTINE routine, LPVOID parameter, DWORD flags,
                                LPDWORD id)
{
    bool is_worker = routine == install_worker;
    if ((is_worker && state.fail_worker_thread) || (!is_worker && state.fail_animator_thread)) {
        state.events.push_back(is_worker ? "no worker thread" : "no animator thread");
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    HANDLE thread = CreateThread(attributes, stack, routine, parameter, flags, id);
    HANDLE copy = nullptr;
    DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &copy, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    state.threads.push_back(copy);
    return thread;
}

ATOM WINAPI fake_RegisterClassA(const WNDCLASSA *window_class)
{
    if (state.fail_class) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    return RegisterClassA(window_class);
}

int WINAPI fake_MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    state.events.push_back(std::string("box ") + (owner ? "owned " : "") + text + "|" + caption +
                           "|" + std::to_string(type));
    return IDOK;
}

bool another_installer_running()
{
    state.events.push_back("single instance");
    return state.another_installer;
}

// The steps, recorded with the progress target they were called under.
int init_install_context(install_context *context)
{
    record("init");
    // Stands for the version lines, which start-up deletes with the file.
    log_message("major=a, minor=0, arch=9\n");
    (void)context;
    return 0;
}
void open_handshake(HANDLE *region, void **view)
{
    record("open_handshake");
    *region = nullptr;
    *view = nullptr;
}
int extract_payload(install_context *context)
{
    record("extract_payload");
    log_message("Start decompress...\n");
    if (state.extract_finds_inf) {
        context->inf_found = 1;
    }
    return -1;
}
int install_driver(install_context *)
{
    record("install_driver");
    return -1;
}
int set_connection_policy()
{
    record("set_connection_policy");
    return -1;
}
int write_uninstall_entry()
{
    record("write_uninstall_entry");
    return -1;
}
int register_usb_service(install_context *)
{
    record("register_usb_service");
    return -1;
}
int register_eject_service(install_context *)
{
    record("register_eject_service");
    return -1;
}
void close_handshake(HANDLE, void *)
{
    record("close_handshake");
}

namespace
{

const std::vector<std::string> sequence_without_driver = {
    "open_handshake@10",        "extract_payload@20",      "set_connection_policy@90",
    "write_uninstall_entry@90", "register_usb_service@90", "register_eject_service@90",
    "close_handshake@99"};

// Waits for a thread while handling this thread's messages, which a
// thread sending to our windows needs.
bool wait_pumping(HANDLE thread)
{
    DWORD deadline = GetTickCount() + 20000;
    while (GetTickCount() < deadline) {
        DWORD result = MsgWaitForMultipleObjects(1, &thread, FALSE, 100, QS_ALLINPUT);
        if (result == WAIT_OBJECT_0) {
            return true;
        }
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageA(&message);
        }
    }
    return false;
}

class StartupTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        state = startup_state();
        memset(&g_install_context, 0, sizeof g_install_context);
        g_install_context.sys_type = 6;
        scratch = test_files::make_scratch_dir("startup");
        log_path = scratch + "\\install_log.txt";
        strcpy(g_install_context.log_path, log_path.c_str());
        reset_window_record();
    }
    void TearDown() override
    {
        // Threads left running (an animator with no window) end before the
        // next test reuses the records.
        for (HANDLE thread : state.threads) {
            EXPECT_TRUE(wait_pumping(thread));
            CloseHandle(thread);
        }
        if (g_progress_window.main_window != nullptr) {
            DestroyWindow(g_progress_window.main_window);
        }
        // The destroy above posts a quit message of its own; it must not
        // end the next test's message loop.
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
        UnregisterClassA("MyWindows", GetModuleHandleA(nullptr));
        test_files::delete_tree(scratch);
    }
    static void reset_window_record()
    {
        g_progress_window.instance = nullptr;
        g_progress_window.class_brush = nullptr;
        g_progress_window.main_window = nullptr;
        g_progress_window.percent_label = nullptr;
        g_progress_window.progress_bar = nullptr;
        g_progress_window.percent_brush = nullptr;
        g_progress_window.title_label = nullptr;
        g_progress_window.title_brush = nullptr;
        g_progress_window.progress_target = 0;
    }
    std::vector<std::string> steps() const
    {
        std::vector<std::string> steps;
        for (const std::string &event : state.events) {
            if (event.find('@') != std::string::npos && event.rfind("init", 0) != 0) {
                steps.push_back(event);
            }
        }
        return steps;
    }
    int run_winmain()
    {
        return WinMain(GetModuleHandleA(nullptr), nullptr, const_cast<char *>(""), SW_SHOW);
    }
    std::string scratch;
    std::string log_path;
};

TEST_F(StartupTest, WorkerPassesTheCheckpointsInOrderWithoutDriverStep)
{
    EXPECT_EQ(0u, install_worker(&g_progress_window));
    EXPECT_EQ(sequence_without_driver, state.events);
    EXPECT_EQ(120, g_progress_window.progress_target.load());
}

TEST_F(StartupTest, CapturedInfRunsTheDriverStepEvenWhenExpansionFailed)
{
    state.extract_finds_inf = true;
    install_worker(&g_progress_window);
    std::vector<std::string> expected = sequence_without_driver;
    expected.insert(expected.begin() + 2, "install_driver@40");
    EXPECT_EQ(expected, state.events);
}

TEST_F(StartupTest, AnInstallFolderNotReadyGetsNoEntryAndNoServices)
{
    // System type 0: the folders could not be created or made ours.
    g_install_context.sys_type = 0;
    install_worker(&g_progress_window);
    const std::vector<std::string> expected = {"open_handshake@10", "extract_payload@20",
                                               "set_connection_policy@90", "close_handshake@99"};
    EXPECT_EQ(expected, state.events);
    std::string log;
    ASSERT_TRUE(test_files::read_bytes(log_path, &log));
    const std::vector<std::string> lines = {
        "Start decompress...\r\n", "Install folder not ready: no uninstall entry, no services\r\n"};
    EXPECT_EQ(lines, test_files::log_messages(log));
    EXPECT_EQ(120, g_progress_window.progress_target.load());
}

TEST_F(StartupTest, RunEndsThroughTheWindowWithExitCodeZeroAndWorkerLinesOnly)
{
    EXPECT_EQ(0, run_winmain());
    ASSERT_GE(state.events.size(), 2u);
    EXPECT_EQ("single instance", state.events[0]);
    EXPECT_EQ("init@0", state.events[1]);
    EXPECT_EQ(sequence_without_driver, steps());
    EXPECT_EQ(120, g_progress_window.progress_target.load());
    ASSERT_NE(nullptr, g_progress_window.main_window);
    EXPECT_TRUE(IsWindowVisible(g_progress_window.main_window));

    char percent[16] = "";
    GetWindowTextA(g_progress_window.percent_label, percent, sizeof percent);
    EXPECT_STREQ("100%", percent);
    EXPECT_EQ(100, SendMessageA(g_progress_window.progress_bar, PBM_GETPOS, 0, 0));

    std::string log;
    ASSERT_TRUE(test_files::read_bytes(log_path, &log));
    EXPECT_EQ(std::vector<std::string>{"Start decompress...\r\n"}, test_files::log_messages(log));
}

TEST_F(StartupTest, FailedClassRegistrationShowsTheBoxAndStillEndsAfterTheSequence)
{
    state.fail_class = true;
    EXPECT_EQ(0, run_winmain());
    ASSERT_GE(state.events.size(), 3u);
    EXPECT_EQ("single instance", state.events[0]);
    EXPECT_EQ("box register class failed|MyWindows|16", state.events[1]);
    EXPECT_EQ("init@0", state.events[2]);
    EXPECT_EQ(sequence_without_driver, steps());
    EXPECT_EQ(120, g_progress_window.progress_target.load());
    EXPECT_EQ(nullptr, g_progress_window.main_window);
    EXPECT_NE(nullptr, g_progress_window.class_brush);
}

TEST_F(StartupTest, ASecondInstallerLeavesAtOnceWithZeroAndTouchesNothing)
{
    ASSERT_TRUE(test_files::write_bytes(log_path, "the first installer's line\r\n"));
    state.another_installer = true;
    EXPECT_EQ(0, run_winmain());
    // No window, no context, no thread, no step; the log as it was.
    EXPECT_EQ(std::vector<std::string>{"single instance"}, state.events);
    EXPECT_TRUE(state.threads.empty());
    EXPECT_EQ(nullptr, g_progress_window.main_window);
    EXPECT_EQ(nullptr, FindWindowA("MyWindows", nullptr));
    EXPECT_EQ(0, g_progress_window.progress_target.load());
    std::string log;
    ASSERT_TRUE(test_files::read_bytes(log_path, &log));
    EXPECT_EQ("the first installer's line\r\n", log);
}

struct thread_failure_case {
    bool worker;
    bool animator;
};

TEST_F(StartupTest, ThreadsThatCannotStartStillLetTheSequenceEndWithZero)
{
    const thread_failure_case cases[] = {{true, false}, {false, true}, {true, true}};
    for (const thread_failure_case &c : cases) {
        TearDown();
        SetUp();
        state.fail_worker_thread = c.worker;
        state.fail_animator_thread = c.animator;
        EXPECT_EQ(0, run_winmain()) << c.worker << c.animator;
        EXPECT_EQ(sequence_without_driver, steps()) << c.worker << c.animator;
        EXPECT_EQ(120, g_progress_window.progress_target.load());
    }
}

} // namespace
