#include "core/install_log.h"

#include "core/install_context.h"
#include "core_test_state.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>

namespace
{

class InstallLogTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        g_core_test.reset();
        scratch = test_files::make_scratch_dir("log");
        log_path = scratch + "\\install_log.txt";
        memset(&g_install_context, 0, sizeof g_install_context);
        strcpy(g_install_context.log_path, log_path.c_str());
    }
    void TearDown() override
    {
        test_files::delete_tree(scratch);
    }
    void fix_time(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second,
                  WORD milliseconds)
    {
        g_core_test.fixed_time = true;
        g_core_test.time.wYear = year;
        g_core_test.time.wMonth = month;
        g_core_test.time.wDay = day;
        g_core_test.time.wHour = hour;
        g_core_test.time.wMinute = minute;
        g_core_test.time.wSecond = second;
        g_core_test.time.wMilliseconds = milliseconds;
    }
    std::string file()
    {
        std::string bytes;
        test_files::read_bytes(log_path, &bytes);
        return bytes;
    }
    std::string scratch;
    std::string log_path;
};

TEST_F(InstallLogTest, RecordIsPaddedTimestampSeparatorAndMessageWithCrLf)
{
    fix_time(2025, 1, 5, 7, 3, 9, 45);
    log_message("Start decompress...\n");
    fix_time(2026, 12, 31, 23, 59, 58, 999);
    log_message("sys_type=%d, error=%x\n", 6, 0xe0000247u);
    EXPECT_EQ("2025-01-05 07:03:09.045######Start decompress...\r\n"
              "2026-12-31 23:59:58.999######sys_type=6, error=e0000247\r\n",
              file());
}

TEST_F(InstallLogTest, LongMessageIsCutAt511CharactersAndLosesItsLineBreak)
{
    fix_time(2025, 1, 5, 7, 3, 9, 45);
    std::string long_text(600, 'a');
    log_message("%s\n", long_text.c_str());
    log_message("next\n");
    std::string expected = "2025-01-05 07:03:09.045######" + std::string(511, 'a') +
                           "2025-01-05 07:03:09.045######next\r\n";
    EXPECT_EQ(expected, file());
}

TEST_F(InstallLogTest, PercentSignInsideAnArgumentIsKept)
{
    fix_time(2025, 1, 5, 7, 3, 9, 45);
    log_message("open inf failed! path=%s\n", "C:\\100%done\\%s%d%n.txt");
    EXPECT_EQ("2025-01-05 07:03:09.045######open inf failed! path=C:\\100%done\\%s%d%n.txt\r\n",
              file());
}

TEST_F(InstallLogTest, MissingFolderDropsTheLineSilently)
{
    std::string missing = scratch + "\\missing\\install_log.txt";
    strcpy(g_install_context.log_path, missing.c_str());
    log_message("dropped\n");
    EXPECT_EQ(-1, append_log_line("dropped too\n"));
    EXPECT_FALSE(test_files::exists(scratch + "\\missing"));

    g_install_context.log_path[0] = '\0';
    EXPECT_EQ(-1, append_log_line("no path yet\n"));
}

// Someone who could create files where the log lies has left a hard link
// under its name: the elevated writer must not append to the linked file.
TEST_F(InstallLogTest, HardLinkedLogIsRefusedAndItsTargetLeftAlone)
{
    std::string victim = scratch + "\\victim.txt";
    ASSERT_TRUE(test_files::write_bytes(victim, "precious"));
    ASSERT_TRUE(CreateHardLinkA(log_path.c_str(), victim.c_str(), nullptr));

    log_message("sys_type=%d\n", 6);
    EXPECT_EQ(-1, append_log_line("again\n"));

    std::string bytes;
    ASSERT_TRUE(test_files::read_bytes(victim, &bytes));
    EXPECT_EQ("precious", bytes);

    // Once the link is gone the log is written as usual.
    ASSERT_TRUE(DeleteFileA(log_path.c_str()));
    EXPECT_EQ(0, append_log_line("fresh\n"));
    EXPECT_EQ(std::vector<std::string>({"fresh\r\n"}), test_files::log_messages(file()));
}

TEST_F(InstallLogTest, WideConsoleLineIsWrittenAsUtf8)
{
    ::testing::internal::CaptureStdout();
    console_line_wide(L"Ger\u00e4t [Fehler 0x%X] %d\n", 0x1Fu, 7);
    std::string console = ::testing::internal::GetCapturedStdout();
    std::string expected = "Ger\xc3\xa4t [Fehler 0x1F] 7";
    EXPECT_EQ(expected, console.substr(0, expected.size()));
}

} // namespace
