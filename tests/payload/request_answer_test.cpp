// The companion's wait for the installer's region and request: bounded by
// two minutes of time passed, however long each 10 ms poll really takes,
// and ended at once by a stop.
#include "carried/companions/request_answer.h"

#include "../registration/fake_clock.h"

#include <gtest/gtest.h>

#include <string>

#undef GetTickCount
#undef GetProcAddress

namespace
{

struct answer_state {
    DWORD tick_ms;           // how far each poll moves the clock
    int region_after_polls;  // the region appears after that many polls; -1 never
    int request_after_polls; // word 0 becomes 1 after that many polls; -1 never
    int stop_after_polls;    // the stop arrives during that poll; -1 never
    int polls;
    int region_opens;
    HANDLE region; // the test's own mapping, standing for the installer's
    volatile LONG *words;
    std::string region_name;
};

answer_state state;

} // namespace

DWORD WINAPI fake_WaitForSingleObject(HANDLE, DWORD milliseconds)
{
    EXPECT_EQ(10u, milliseconds);
    ++state.polls;
    g_fake_clock.now += state.tick_ms;
    if (state.request_after_polls >= 0 && state.polls >= state.request_after_polls) {
        state.words[0] = 1;
    }
    return state.polls == state.stop_after_polls ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

HANDLE WINAPI fake_OpenFileMappingA(DWORD access, BOOL inherit, LPCSTR name)
{
    EXPECT_EQ(static_cast<DWORD>(FILE_MAP_ALL_ACCESS), access);
    EXPECT_FALSE(inherit);
    state.region_name = name;
    ++state.region_opens;
    if (state.region_after_polls < 0 || state.polls < state.region_after_polls) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    HANDLE copy = nullptr;
    DuplicateHandle(GetCurrentProcess(), state.region, GetCurrentProcess(), &copy, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    return copy;
}

namespace
{

class RequestAnswerTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        state = answer_state();
        state.region_after_polls = -1;
        state.request_after_polls = -1;
        state.stop_after_polls = -1;
        g_fake_clock = fake_clock_state();
        state.region =
            CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 8, nullptr);
        ASSERT_NE(nullptr, state.region);
        state.words =
            static_cast<volatile LONG *>(MapViewOfFile(state.region, FILE_MAP_ALL_ACCESS, 0, 0, 0));
        ASSERT_NE(nullptr, state.words);
    }
    void TearDown() override
    {
        UnmapViewOfFile(const_cast<LONG *>(state.words));
        CloseHandle(state.region);
    }
};

// Two minutes, whatever a poll lasts: 10 ms as asked, a 15.6 ms Windows
// timer tick (taken as 16), or a slow machine's 50 ms.
TEST_F(RequestAnswerTest, NoRegionGivesUpAfterTwoMinutesOfTime)
{
    struct bound_case {
        DWORD tick_ms;
        int polls;
    };
    const bound_case cases[] = {{10, 12000}, {16, 7500}, {50, 2400}};
    for (const bound_case &c : cases) {
        TearDown();
        SetUp();
        state.tick_ms = c.tick_ms;
        acknowledge_request(nullptr);
        EXPECT_EQ(c.polls, state.polls) << c.tick_ms << " ms a poll";
        EXPECT_EQ("Global\\QUorProcMsg", state.region_name);
        EXPECT_EQ(0, state.words[1]);
    }
}

TEST_F(RequestAnswerTest, TheTimeSpentWaitingForTheRegionCountsAgainstTheRequest)
{
    // The region comes after 60 s of 16 ms polls; the request never does.
    state.tick_ms = 16;
    state.region_after_polls = 3750;
    acknowledge_request(nullptr);
    EXPECT_EQ(7500, state.polls);
    EXPECT_EQ(0, state.words[1]);
}

TEST_F(RequestAnswerTest, ARequestIsAnsweredAndAStopEndsTheWait)
{
    state.tick_ms = 16;
    state.region_after_polls = 5;
    state.request_after_polls = 20;
    acknowledge_request(nullptr);
    EXPECT_EQ(20, state.polls);
    EXPECT_EQ(1, state.words[1]);

    TearDown();
    SetUp();
    state.tick_ms = 16;
    state.stop_after_polls = 3;
    acknowledge_request(nullptr);
    EXPECT_EQ(3, state.polls);
    EXPECT_EQ(3, state.region_opens);
}

TEST_F(RequestAnswerTest, WithoutGetTickCount64TheWrappingTickCountStillBounds)
{
    g_fake_clock.has_tick_count_64 = false;
    g_fake_clock.now = 0xFFFFFFFFull - 30000; // wraps 30 s into the wait
    state.tick_ms = 16;
    acknowledge_request(nullptr);
    EXPECT_EQ(7500, state.polls);
    EXPECT_EQ(0, g_fake_clock.reads_64);
}

} // namespace
