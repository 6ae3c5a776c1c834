#include "ui/progress_window.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace
{

// Everything the animator did, in order: "bar color 4f9641", "pos 40",
// "text  40%", "sleep 2", "destroy", ...
std::vector<std::string> events;
std::function<void(DWORD)> on_sleep;

std::string hex(LPARAM value)
{
    char text[32];
    snprintf(text, sizeof text, "%lx", static_cast<unsigned long>(value));
    return text;
}

} // namespace

LRESULT WINAPI fake_SendMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    std::string target = window == g_progress_window.progress_bar  ? "bar"
                         : window == g_progress_window.main_window ? "main"
                                                                   : "other";
    switch (message) {
    case PBM_SETBARCOLOR:
        events.push_back(target + " color " + hex(lparam) + " " + std::to_string(wparam));
        break;
    case PBM_SETBKCOLOR:
        events.push_back(target + " background " + hex(lparam) + " " + std::to_string(wparam));
        break;
    case PBM_SETRANGE:
        events.push_back(target + " range " + hex(lparam) + " " + std::to_string(wparam));
        break;
    case PBM_SETPOS:
        events.push_back(target + " pos " + std::to_string(wparam));
        break;
    case WM_DESTROY:
        events.push_back(target + " destroy");
        break;
    default:
        events.push_back(target + " message " + std::to_string(message));
        break;
    }
    return 0;
}

BOOL WINAPI fake_SetDlgItemTextA(HWND window, int id, LPCSTR text)
{
    std::string owner = window == g_progress_window.main_window ? "main" : "other";
    events.push_back(owner + " " + std::to_string(id) + " text " + text);
    return TRUE;
}

BOOL WINAPI fake_ShowWindow(HWND window, int command)
{
    std::string which = window == g_progress_window.progress_bar    ? "bar"
                        : window == g_progress_window.title_label   ? "title"
                        : window == g_progress_window.percent_label ? "percent"
                                                                    : "other";
    events.push_back("show " + which + " " + std::to_string(command));
    return TRUE;
}

void WINAPI fake_Sleep(DWORD milliseconds)
{
    events.push_back("sleep " + std::to_string(milliseconds));
    if (on_sleep) {
        on_sleep(milliseconds);
    }
}

namespace
{

// Distinct stand-in handles: the animator only passes them on.
HWND handle(INT_PTR value)
{
    return reinterpret_cast<HWND>(value);
}

class AnimatorTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        events.clear();
        on_sleep = nullptr;
        g_progress_window.main_window = handle(0x100);
        g_progress_window.percent_label = handle(0x200);
        g_progress_window.progress_bar = handle(0x300);
        g_progress_window.title_label = handle(0x400);
        g_progress_window.progress_target = 0;
    }
    void TearDown() override
    {
        on_sleep = nullptr;
        g_progress_window.main_window = nullptr;
        g_progress_window.percent_label = nullptr;
        g_progress_window.progress_bar = nullptr;
        g_progress_window.title_label = nullptr;
    }
    // The label texts in the order shown.
    static std::vector<std::string> texts()
    {
        std::vector<std::string> shown;
        for (const std::string &event : events) {
            if (event.rfind("main 1000 text ", 0) == 0) {
                shown.push_back(event.substr(15));
            }
        }
        return shown;
    }
    static size_t index_of(const std::string &event)
    {
        for (size_t i = 0; i < events.size(); ++i) {
            if (events[i] == event) {
                return i;
            }
        }
        return events.size();
    }
};

TEST_F(AnimatorTest, FinishedSequenceRunsStraightToHundredAndDestroysTheWindow)
{
    g_progress_window.progress_target = 120;
    EXPECT_EQ(0u, progress_animator(&g_progress_window));

    std::vector<std::string> prologue = {"bar color 4f9641 0", "bar background ffffff 0",
                                         "bar range 640000 0", "show bar 5",
                                         "show title 5",       "show percent 5"};
    ASSERT_GE(events.size(), prologue.size());
    EXPECT_EQ(prologue, std::vector<std::string>(events.begin(), events.begin() + 6));

    std::vector<std::string> shown = texts();
    ASSERT_EQ(101u, shown.size());
    EXPECT_EQ("  0%", shown[0]);
    EXPECT_EQ("  9%", shown[9]);
    EXPECT_EQ(" 40%", shown[40]);
    EXPECT_EQ("100%", shown[100]);

    // Each step: position, text, then at least the 2 ms pause; no waiting.
    EXPECT_EQ("bar pos 40", events[6 + 40 * 3]);
    EXPECT_EQ("main 1000 text  40%", events[6 + 40 * 3 + 1]);
    EXPECT_EQ("sleep 2", events[6 + 40 * 3 + 2]);
    EXPECT_EQ(index_of("sleep 10"), events.size());
    EXPECT_EQ("main destroy", events.back());
    EXPECT_EQ(6u + 101 * 3 + 1, events.size());
}

TEST_F(AnimatorTest, BarHoldsOnEachCheckpointAndNeverRunsAhead)
{
    // The sequence raises the target after a few waits at each checkpoint.
    const int checkpoints[] = {10, 20, 40, 90, 99, 120};
    size_t next = 0;
    int waits = 0;
    g_progress_window.progress_target = checkpoints[next++];
    on_sleep = [&](DWORD milliseconds) {
        if (milliseconds != 10) {
            return;
        }
        // While waiting, the last text shown is the checkpoint itself.
        int target = g_progress_window.progress_target;
        std::vector<std::string> shown = texts();
        if (target <= 100) {
            char expected[8];
            snprintf(expected, sizeof expected, "%3d%%", target);
            ASSERT_FALSE(shown.empty());
            EXPECT_EQ(expected, shown.back());
        }
        if (++waits % 3 == 0 && next < sizeof checkpoints / sizeof checkpoints[0]) {
            g_progress_window.progress_target = checkpoints[next++];
        }
    };
    progress_animator(&g_progress_window);

    std::vector<std::string> shown = texts();
    ASSERT_EQ(101u, shown.size());
    // 41 to 90 all shown, one per step, each followed by its pause.
    for (int percent = 0; percent <= 100; ++percent) {
        char expected[8];
        snprintf(expected, sizeof expected, "%3d%%", percent);
        EXPECT_EQ(expected, shown[percent]);
    }
    // 100 only after the target became 120.
    EXPECT_EQ(5 * 3, waits);
    EXPECT_EQ("main destroy", events.back());
}

TEST_F(AnimatorTest, EndsOnlyOnExactlyHundredTwenty)
{
    // A target past 100 that is not 120 lets the bar finish but not the program.
    g_progress_window.progress_target = 110;
    int final_waits = 0;
    on_sleep = [&](DWORD milliseconds) {
        if (milliseconds == 10 && ++final_waits == 5) {
            EXPECT_EQ("100%", texts().back());
            EXPECT_EQ(index_of("main destroy"), events.size());
            g_progress_window.progress_target = 120;
        }
    };
    progress_animator(&g_progress_window);
    EXPECT_EQ(5, final_waits);
    EXPECT_EQ("main destroy", events.back());
}

// The real window: layout, classes and the colour answers.
class ProgressWindowTest : public ::testing::Test
{
  protected:
    static void SetUpTestSuite()
    {
        create_progress_window(&g_progress_window, GetModuleHandleA(nullptr));
    }
};

struct control_case {
    HWND progress_window::*field;
    const char *class_name;
    const char *text;
    DWORD style;
    RECT rect;
    int id;
};

TEST_F(ProgressWindowTest, WindowAndControlsAreLaidOutAsDesigned)
{
    HWND main = g_progress_window.main_window;
    ASSERT_NE(nullptr, main);
    EXPECT_EQ(0, g_progress_window.progress_target.load());
    EXPECT_FALSE(IsWindowVisible(main));
    EXPECT_EQ(static_cast<LONG_PTR>(WS_POPUP),
              GetWindowLongPtrA(main, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_CLIPSIBLINGS));
    RECT window_rect;
    GetWindowRect(main, &window_rect);
    EXPECT_EQ(320, window_rect.left);
    EXPECT_EQ(180, window_rect.top);
    EXPECT_EQ(350, window_rect.right - window_rect.left);
    EXPECT_EQ(200, window_rect.bottom - window_rect.top);
    char class_name[64];
    GetClassNameA(main, class_name, sizeof class_name);
    EXPECT_STREQ("MyWindows", class_name);

    const control_case controls[] = {
        {&progress_window::percent_label, "Static", "0%", 0x50000000, {300, 170, 335, 190}, 1000},
        {&progress_window::progress_bar,
         "msctls_progress32",
         "",
         0x50000000,
         {20, 170, 300, 190},
         1001},
        {&progress_window::title_label,
         "Static",
         "RAVI6 VID 802.11OD Uvezaruz Adazizo",
         0x50000201,
         {0, 0, 350, 150},
         1002},
    };
    for (const control_case &c : controls) {
        HWND control = g_progress_window.*(c.field);
        ASSERT_NE(nullptr, control) << c.id;
        EXPECT_EQ(main, GetParent(control));
        EXPECT_EQ(c.id, GetDlgCtrlID(control));
        GetClassNameA(control, class_name, sizeof class_name);
        EXPECT_STRCASEEQ(c.class_name, class_name);
        char text[64] = "";
        GetWindowTextA(control, text, sizeof text);
        EXPECT_STREQ(c.text, text);
        EXPECT_EQ(c.style, static_cast<DWORD>(GetWindowLongPtrA(control, GWL_STYLE)) & 0xFFFF0FFF)
            << c.id;
        RECT rect;
        GetWindowRect(control, &rect);
        MapWindowPoints(nullptr, main, reinterpret_cast<POINT *>(&rect), 2);
        EXPECT_EQ(c.rect.left, rect.left) << c.id;
        EXPECT_EQ(c.rect.top, rect.top) << c.id;
        EXPECT_EQ(c.rect.right, rect.right) << c.id;
        EXPECT_EQ(c.rect.bottom, rect.bottom) << c.id;
    }
}

COLORREF brush_colour(HBRUSH brush)
{
    LOGBRUSH description;
    GetObjectA(brush, sizeof description, &description);
    return description.lbColor;
}

TEST_F(ProgressWindowTest, StaticColoursAnswerForTheTwoLabelsOnly)
{
    EXPECT_EQ(0xFFFFFFu, brush_colour(g_progress_window.class_brush));
    EXPECT_EQ(0xFFFFFFu, brush_colour(g_progress_window.percent_brush));
    EXPECT_EQ(0xF0F0F0u, brush_colour(g_progress_window.title_brush));

    HDC dc = GetDC(g_progress_window.main_window);
    WPARAM dc_arg = reinterpret_cast<WPARAM>(dc);
    struct colour_case {
        HWND control;
        HBRUSH answer;
        COLORREF text;
        COLORREF background;
    } cases[] = {
        {g_progress_window.title_label, g_progress_window.title_brush, 0, 0xF0F0F0},
        {g_progress_window.percent_label, g_progress_window.percent_brush, 0, 0xFFFFFF},
        {g_progress_window.progress_bar, nullptr, 0x123456, 0x654321},
        {nullptr, nullptr, 0x123456, 0x654321},
    };
    for (const colour_case &c : cases) {
        SetTextColor(dc, 0x123456);
        SetBkColor(dc, 0x654321);
        LRESULT answer = progress_window_proc(g_progress_window.main_window, WM_CTLCOLORSTATIC,
                                              dc_arg, reinterpret_cast<LPARAM>(c.control));
        EXPECT_EQ(reinterpret_cast<LRESULT>(c.answer), answer);
        EXPECT_EQ(c.text, GetTextColor(dc));
        EXPECT_EQ(c.background, GetBkColor(dc));
    }
    ReleaseDC(g_progress_window.main_window, dc);
}

TEST_F(ProgressWindowTest, DestroyPostsQuitWithCodeZero)
{
    EXPECT_EQ(0, progress_window_proc(g_progress_window.main_window, WM_DESTROY, 0, 0));
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(0u, message.wParam);
}

} // namespace
