// The file queue's callback on its own: answers, log lines, the capture of
// the driver INF's path and the media request.
#include "payload/cabinet_expansion.h"

#include "payload_test_support.h"

#include <gtest/gtest.h>

#include <setupapi.h>

#include <string>
#include <vector>

namespace
{

class FileQueueCallback : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        install = make_test_install("callback", 6);
    }
    void TearDown() override
    {
        remove_test_install(install);
    }

    UINT start_copy(const char *target)
    {
        FILEPATHS_A paths = {};
        paths.Target = target;
        paths.Source = "C:\\source\\member";
        return file_queue_callback(&g_install_context, SPFILENOTIFY_STARTCOPY,
                                   reinterpret_cast<UINT_PTR>(&paths), 0);
    }

    test_install install;
};

TEST_F(FileQueueCallback, AnswersEveryCodeAndLogsItFirst)
{
    FILEPATHS_A paths = {};
    paths.Target = "C:\\elsewhere\\member.bin";
    SOURCE_MEDIA_A media = {};
    media.Description = "file packet";
    char new_path[MAX_PATH] = "";

    std::vector<UINT> codes;
    for (UINT code = 0; code <= 20; ++code) {
        codes.push_back(code);
    }
    codes.push_back(0x100);
    codes.push_back(0xFFFFFFFFu);

    for (UINT code : codes) {
        SCOPED_TRACE(code);
        UINT_PTR param1 = 0;
        UINT_PTR param2 = 0;
        if (code == SPFILENOTIFY_STARTCOPY) {
            param1 = reinterpret_cast<UINT_PTR>(&paths);
        }
        if (code == SPFILENOTIFY_NEEDMEDIA) {
            param1 = reinterpret_cast<UINT_PTR>(&media);
            param2 = reinterpret_cast<UINT_PTR>(new_path);
        }
        UINT expected = (code == 7 || code == 10 || code == 13) ? FILEOP_ABORT : FILEOP_DOIT;

        // The error shown is the one current when the callback is entered.
        DWORD error = 0x80000000u + code;
        SetLastError(error);
        EXPECT_EQ(expected, file_queue_callback(&g_install_context, code, param1, param2));

        std::vector<std::string> messages = take_log_messages();
        ASSERT_FALSE(messages.empty());
        char first[80];
        snprintf(first, sizeof first, "callback:info_type=%x error=%d", code,
                 static_cast<int>(error));
        EXPECT_EQ(first, messages[0]);
        size_t lines = code == SPFILENOTIFY_STARTCOPY ? 2 : code == SPFILENOTIFY_NEEDMEDIA ? 3 : 1;
        EXPECT_EQ(lines, messages.size());
    }
    EXPECT_EQ(0, g_install_context.inf_found);
}

TEST_F(FileQueueCallback, CapturesOnlyLowerCaseInfDuringTheDriverPair)
{
    struct row {
        int cab_stage;
        const char *target;
        bool captured;
    };
    const row rows[] = {
        {0, "C:\\Q\\4780DV\\wlanbox_ndis650.inf", false}, // common pair: never
        {1, "C:\\Q\\4780DV\\wlanbox_ndis650.INF", false},
        {1, "C:\\Q\\4780DV\\wlanbox_ndis650.Inf", false},
        {1, "C:\\Q\\4780DV\\wlanbox_ndis650.sys", false},
        {1, "C:\\Q\\4780DV\\wlanbox_ndis650.inf", true},
        {1, "C:\\information\\member.sys", true}, // anywhere in the path
    };
    for (const row &r : rows) {
        SCOPED_TRACE(r.target);
        g_install_context.cab_stage = r.cab_stage;
        g_install_context.inf_found = 0;
        g_install_context.inf_path[0] = '\0';
        EXPECT_EQ(static_cast<UINT>(FILEOP_DOIT), start_copy(r.target));
        EXPECT_EQ(r.captured ? 1 : 0, g_install_context.inf_found);
        EXPECT_STREQ(r.captured ? r.target : "", g_install_context.inf_path);
        std::vector<std::string> messages = take_log_messages();
        ASSERT_EQ(2u, messages.size());
        EXPECT_EQ(std::string("copy name=") + r.target, messages[1]);
    }
}

TEST_F(FileQueueCallback, LaterMatchOverwritesAndOverlongTargetIsNotTaken)
{
    g_install_context.cab_stage = 1;
    start_copy("C:\\Q\\4780DV\\first.inf");
    start_copy("C:\\Q\\4780DV\\second.inf");
    EXPECT_STREQ("C:\\Q\\4780DV\\second.inf", g_install_context.inf_path);

    // A target that does not fit the buffer leaves the last capture whole.
    std::string overlong = "C:\\" + std::string(MAX_PATH, 'a') + ".inf";
    start_copy(overlong.c_str());
    EXPECT_STREQ("C:\\Q\\4780DV\\second.inf", g_install_context.inf_path);
    EXPECT_EQ(1, g_install_context.inf_found);

    std::string longest = "C:\\" + std::string(MAX_PATH - 8, 'b') + ".inf";
    ASSERT_EQ(static_cast<size_t>(MAX_PATH - 1), longest.size());
    start_copy(longest.c_str());
    EXPECT_EQ(longest, g_install_context.inf_path);
}

TEST_F(FileQueueCallback, MediaRequestAnswersAndLines)
{
    struct row {
        const char *description;
        const char *path;
        const char *file;
        UINT answer;
        const char *line;
    };
    const row rows[] = {
        {"file packet", "C:\\Temp", "Disc_eject.exe", FILEOP_DOIT,
         "media, des=file packet, src_path=C:\\Temp, src_file=Disc_eject.exe"},
        {nullptr, "C:\\Temp", "Disc_eject.exe", FILEOP_SKIP,
         "media, des=(null), src_path=C:\\Temp, src_file=Disc_eject.exe"},
        {"file packet", nullptr, nullptr, FILEOP_DOIT,
         "media, des=file packet, src_path=(null), src_file=(null)"},
    };
    for (const row &r : rows) {
        SCOPED_TRACE(r.line);
        SOURCE_MEDIA_A media = {};
        media.Description = r.description;
        media.SourcePath = r.path;
        media.SourceFile = r.file;
        char new_path[MAX_PATH] = "D:\\new";
        EXPECT_EQ(r.answer, file_queue_callback(&g_install_context, SPFILENOTIFY_NEEDMEDIA,
                                                reinterpret_cast<UINT_PTR>(&media),
                                                reinterpret_cast<UINT_PTR>(new_path)));
        std::vector<std::string> messages = take_log_messages();
        ASSERT_EQ(3u, messages.size());
        EXPECT_EQ(r.line, messages[1]);
        EXPECT_EQ("dst_path=D:\\new", messages[2]);
        EXPECT_STREQ("D:\\new", new_path) << "the platform's buffer is only read";
    }
}

TEST_F(FileQueueCallback, NewPathBufferIsReadUpToMaxPath)
{
    SOURCE_MEDIA_A media = {};
    media.Description = "file packet";
    // A full, unterminated buffer followed by more readable bytes.
    char buffer[MAX_PATH + 40];
    memset(buffer, 'x', MAX_PATH);
    memset(buffer + MAX_PATH, 'y', 39);
    buffer[MAX_PATH + 39] = '\0';
    file_queue_callback(&g_install_context, SPFILENOTIFY_NEEDMEDIA,
                        reinterpret_cast<UINT_PTR>(&media), reinterpret_cast<UINT_PTR>(buffer));
    std::vector<std::string> messages = take_log_messages();
    ASSERT_EQ(3u, messages.size());
    EXPECT_EQ("dst_path=" + std::string(MAX_PATH, 'x'), messages[2]);

    file_queue_callback(&g_install_context, SPFILENOTIFY_NEEDMEDIA,
                        reinterpret_cast<UINT_PTR>(&media), 0);
    messages = take_log_messages();
    ASSERT_EQ(3u, messages.size());
    EXPECT_EQ("dst_path=(null)", messages[2]);
}

} // namespace
