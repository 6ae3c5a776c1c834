// The handshake region in the bench prefix's global namespace: its words,
// its protection and the bounded wait, timed by the test's clock.
#include "registration/handshake.h"

#include "fake_clock.h"
#include "object_dacl.h"
#include "registration_test_support.h"
#include "test_files.h"

#include <gtest/gtest.h>


#include <string>
#include <vector>

namespace
{

struct handshake_fakes {
    int sleeps = 0;
    std::vector<DWORD> pauses;
    int acknowledge_at = -1;            // the pause during which word 1 becomes 1
    volatile LONG *companion = nullptr; // the test's own view, standing in for a companion
    bool refuse_creation = false;
    DWORD pause_lasts_ms = 1; // how far one pause moves the clock
} g_fakes;

} // namespace

void WINAPI fake_Sleep(DWORD milliseconds)
{
    ++g_fakes.sleeps;
    g_fakes.pauses.push_back(milliseconds);
    if (g_fakes.sleeps == g_fakes.acknowledge_at && g_fakes.companion != nullptr) {
        g_fakes.companion[1] = 1;
    }
    g_fake_clock.now += g_fakes.pause_lasts_ms;
}

HANDLE WINAPI fake_CreateFileMappingA(HANDLE file, LPSECURITY_ATTRIBUTES attributes, DWORD protect,
                                      DWORD size_high, DWORD size_low, LPCSTR name)
{
    if (g_fakes.refuse_creation) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return CreateFileMappingA(file, attributes, protect, size_high, size_low, name);
}

namespace
{

const char region_name[] = "Global\\QUorProcMsg";

bool handle_open(HANDLE handle)
{
    DWORD flags = 0;
    return GetHandleInformation(handle, &flags) != 0;
}

class HandshakeTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        g_fakes = handshake_fakes();
        g_fake_clock = fake_clock_state();
        scratch = test_files::make_scratch_dir("handshake");
        log = new registration_test::log_capture(scratch);
        // Nobody else may hold the region: the test decides who answers.
        HANDLE stale = OpenFileMappingA(FILE_MAP_READ, FALSE, region_name);
        ASSERT_EQ(nullptr, stale) << "a region from elsewhere is still open";
    }
    void TearDown() override
    {
        if (test_view != nullptr) {
            UnmapViewOfFile(const_cast<LONG *>(test_view));
        }
        if (test_region != nullptr) {
            CloseHandle(test_region);
        }
        g_fakes = handshake_fakes();
        delete log;
        test_files::delete_tree(scratch);
    }
    // The test's own view of the region, as a companion would open it.
    void attach()
    {
        test_region = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, region_name);
        ASSERT_NE(nullptr, test_region);
        test_view =
            static_cast<volatile LONG *>(MapViewOfFile(test_region, FILE_MAP_ALL_ACCESS, 0, 0, 0));
        ASSERT_NE(nullptr, test_view);
    }
    void detach()
    {
        UnmapViewOfFile(const_cast<LONG *>(test_view));
        CloseHandle(test_region);
        test_view = nullptr;
        test_region = nullptr;
    }
    std::string scratch;
    registration_test::log_capture *log = nullptr;
    HANDLE test_region = nullptr;
    volatile LONG *test_view = nullptr;
};

TEST_F(HandshakeTest, ACreatedRegionHoldsTheRequestAndOnlySystemAndAdministratorsMayOpenIt)
{
    HANDLE region = nullptr;
    void *view = nullptr;
    open_handshake(&region, &view);
    ASSERT_NE(nullptr, region);
    ASSERT_NE(nullptr, view);
    attach();
    EXPECT_EQ(1, test_view[0]);
    EXPECT_EQ(0, test_view[1]);

    EXPECT_EQ("D:P(A;;GA;;;SY)(A;;GA;;;BA)", test_files::object_dacl(region));

    // Read-write, never executable; and the handle is not inherited.
    void *executable = MapViewOfFile(region, FILE_MAP_ALL_ACCESS | FILE_MAP_EXECUTE, 0, 0, 0);
    EXPECT_EQ(nullptr, executable);
    if (executable != nullptr) {
        UnmapViewOfFile(executable);
    }
    MEMORY_BASIC_INFORMATION memory;
    ASSERT_NE(0u, VirtualQuery(view, &memory, sizeof memory));
    EXPECT_EQ(static_cast<DWORD>(PAGE_READWRITE), memory.Protect);
    DWORD flags = 0;
    ASSERT_TRUE(GetHandleInformation(region, &flags));
    EXPECT_EQ(0u, flags & HANDLE_FLAG_INHERIT);

    test_view[1] = 1;
    close_handshake(region, view);
    EXPECT_FALSE(handle_open(region));
    detach();
    // Released on both sides: the region is gone.
    EXPECT_EQ(nullptr, OpenFileMappingA(FILE_MAP_READ, FALSE, region_name));
    EXPECT_TRUE(log->messages().empty());
}

TEST_F(HandshakeTest, TheWaitEndsAtTheFirstAcknowledgementOrAfterTwoSecondsOfClock)
{
    // Each pause asks for 1 ms; how long it lasts is the platform's business:
    // 1 ms here, a whole timer tick (15.6 ms by default) on Windows.
    const ULONGLONG just_before_wrap = 0xFFFFFFFFull - 300;
    struct {
        const char *name;
        bool answered_before;
        int acknowledge_at;
        DWORD pause_lasts_ms;
        bool has_tick_count_64;
        ULONGLONG clock;
        int sleeps;
    } cases[] = {
        {"answered before checkpoint 99: no pause", true, -1, 1, true, 5000, 0},
        {"answered during the 25th pause", false, 25, 1, true, 5000, 25},
        {"never answered, 1 ms pauses: 2000 of them", false, -1, 1, true, 5000, 2000},
        {"never answered, 16 ms timer tick: 125 pauses", false, -1, 16, true, 5000, 125},
        {"GetTickCount64 past 2^32: 125 pauses", false, -1, 16, true, just_before_wrap, 125},
        {"no GetTickCount64, GetTickCount wraps during the wait: 125 pauses", false, -1, 16, false,
         just_before_wrap, 125},
    };
    for (const auto &one : cases) {
        SCOPED_TRACE(one.name);
        g_fakes = handshake_fakes();
        g_fake_clock = fake_clock_state();
        HANDLE region = nullptr;
        void *view = nullptr;
        open_handshake(&region, &view);
        ASSERT_NE(nullptr, view);
        attach();
        if (one.answered_before) {
            test_view[1] = 1;
        }
        g_fakes.acknowledge_at = one.acknowledge_at;
        g_fakes.companion = test_view;
        g_fakes.pause_lasts_ms = one.pause_lasts_ms;
        g_fake_clock.has_tick_count_64 = one.has_tick_count_64;
        g_fake_clock.now = one.clock;

        close_handshake(region, view);

        EXPECT_EQ(one.sleeps, g_fakes.sleeps);
        EXPECT_EQ(std::vector<DWORD>(one.sleeps, 1), g_fakes.pauses);
        // GetTickCount only where GetTickCount64 is missing.
        EXPECT_EQ(one.has_tick_count_64, g_fake_clock.reads_64 > 0);
        EXPECT_EQ(!one.has_tick_count_64, g_fake_clock.reads_32 > 0);
        EXPECT_FALSE(handle_open(region));
        detach();
        EXPECT_EQ(nullptr, OpenFileMappingA(FILE_MAP_READ, FALSE, region_name));
    }
}

TEST_F(HandshakeTest, AnExistingRegionIsHeldButNeitherWrittenNorAwaited)
{
    test_region =
        CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 8, region_name);
    ASSERT_NE(nullptr, test_region);
    test_view =
        static_cast<volatile LONG *>(MapViewOfFile(test_region, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    ASSERT_NE(nullptr, test_view);
    test_view[0] = 7;
    test_view[1] = 9;

    HANDLE region = nullptr;
    void *view = nullptr;
    open_handshake(&region, &view);
    ASSERT_NE(nullptr, region);
    EXPECT_EQ(nullptr, view);
    EXPECT_EQ(7, test_view[0]);
    EXPECT_EQ(9, test_view[1]);

    close_handshake(region, view);
    EXPECT_EQ(0, g_fakes.sleeps);
    EXPECT_FALSE(handle_open(region));
    EXPECT_EQ(7, test_view[0]);
    EXPECT_EQ(9, test_view[1]);
    EXPECT_TRUE(log->messages().empty());
}

TEST_F(HandshakeTest, ARegionThatCannotBeCreatedIsLoggedAndNothingWaits)
{
    g_fakes.refuse_creation = true;
    HANDLE region = reinterpret_cast<HANDLE>(1);
    void *view = reinterpret_cast<void *>(1);
    open_handshake(&region, &view);
    EXPECT_EQ(nullptr, region);
    EXPECT_EQ(nullptr, view);
    EXPECT_EQ(std::vector<std::string>{"Create mapping file failed!\r\n"}, log->messages());

    close_handshake(region, view);
    EXPECT_EQ(0, g_fakes.sleeps);
}

} // namespace
