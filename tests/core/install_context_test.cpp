#include "core/install_context.h"
#include "setup/context_init.h"

#include "core_test_state.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

namespace
{

class InstallContextTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        g_core_test.reset();
        scratch = test_files::make_scratch_dir("context");
        memset(&g_install_context, 0, sizeof g_install_context);
        log_path = scratch + "\\log.txt";
        strcpy(g_install_context.log_path, log_path.c_str());
    }
    void TearDown() override
    {
        test_files::delete_tree(scratch);
    }
    std::vector<std::string> logged()
    {
        std::string log;
        test_files::read_bytes(log_path, &log);
        return test_files::log_messages(log);
    }
    std::string scratch;
    std::string log_path;
};

struct classification_case {
    DWORD major;
    DWORD minor;
    WORD architecture;
    int sys_type;
    const char *version_line;
};

TEST_F(InstallContextTest, ClassifiesByMajorVersionAndProcessorClass)
{
    const classification_case cases[] = {
        {10, 0, 9, 6, "major=a, minor=0, arch=9\r\n"},
        {10, 0, 0, 5, "major=a, minor=0, arch=0\r\n"},
        {10, 0, 6, 6, "major=a, minor=0, arch=6\r\n"},
        {10, 0, 7, 6, "major=a, minor=0, arch=7\r\n"},
        {10, 0, 12, 5, "major=a, minor=0, arch=12\r\n"},
        {7, 0, 9, 6, "major=7, minor=0, arch=9\r\n"},
        {6, 1, 0, 3, "major=6, minor=1, arch=0\r\n"},
        {6, 3, 9, 4, "major=6, minor=3, arch=9\r\n"},
        {6, 2, 7, 4, "major=6, minor=2, arch=7\r\n"},
        {6, 0, 12, 3, "major=6, minor=0, arch=12\r\n"},
        {5, 1, 0, 1, "major=5, minor=1, arch=0\r\n"},
        {5, 2, 9, 2, "major=5, minor=2, arch=9\r\n"},
        {5, 2, 6, 2, "major=5, minor=2, arch=6\r\n"},
    };
    for (const classification_case &c : cases) {
        DeleteFileA(log_path.c_str());
        g_core_test.major = c.major;
        g_core_test.minor = c.minor;
        g_core_test.architecture = c.architecture;
        EXPECT_EQ(c.sys_type, classify_system()) << c.version_line;
        EXPECT_EQ(std::vector<std::string>{c.version_line}, logged());
    }
}

TEST_F(InstallContextTest, OldVersionIsUnsupportedWithoutLineBreak)
{
    g_core_test.major = 4;
    g_core_test.minor = 10;
    g_core_test.architecture = 0;
    EXPECT_EQ(-1, classify_system());
    std::string log;
    test_files::read_bytes(log_path, &log);
    // The "not support" record has no line break of its own.
    EXPECT_EQ(std::string("major=4, minor=a, arch=0\r\n"), log.substr(29, 26));
    EXPECT_EQ("system version is not support! ver=4.10", log.substr(26 + 29 + 29));
}

TEST_F(InstallContextTest, FailedVersionQueryClassifiesAsUnsupported)
{
    g_core_test.version_fails = true;
    g_core_test.version_error = 0x57;
    g_core_test.architecture = 9;
    EXPECT_EQ(-1, classify_system());
    std::vector<std::string> expected = {"get system version failed! error=57\r\n",
                                         "major=0, minor=0, arch=9\r\n",
                                         "system version is not support! ver=0.0"};
    EXPECT_EQ(expected, logged());
}

// Owner Administrators; protected DACL: SYSTEM and Administrators full
// control, Users read and execute, each inherited by files and folders.
const char folder_sddl[] = "O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

struct folder_case {
    WORD architecture;
    bool is_64bit;
    const char *program_files;
    int sys_type;
};

TEST_F(InstallContextTest, PathsFollowTheNativeArchitecture)
{
    const folder_case cases[] = {
        {0, false, "C:\\Program Files", 5},      {6, true, "C:\\Program Files (x86)", 6},
        {7, false, "C:\\Program Files", 6}, // Alpha64: 64-bit driver, 32-bit folders
        {9, true, "C:\\Program Files (x86)", 6}, {12, false, "C:\\Program Files", 5},
    };
    for (const folder_case &c : cases) {
        std::string root = scratch + "\\drive" + std::to_string(c.architecture);
        CreateDirectoryA(root.c_str(), nullptr);
        g_core_test.drive_root = root;
        g_core_test.architecture = c.architecture;
        g_core_test.events.clear();
        g_core_test.descriptors.clear();
        memset(&g_install_context, 0, sizeof g_install_context);
        strcpy(g_install_context.log_path, log_path.c_str());

        EXPECT_EQ(c.is_64bit, is_64bit_os());
        ASSERT_EQ(0, init_install_context(&g_install_context));

        std::string program_files = c.program_files;
        std::string install = program_files + "\\QUORVANTA";
        EXPECT_EQ(program_files, g_install_context.program_files_dir);
        EXPECT_EQ(install, g_install_context.install_dir);
        EXPECT_EQ(install + "\\install_log.txt", g_install_context.log_path);
        EXPECT_EQ(install + "\\Temp", g_install_context.temp_dir);
        EXPECT_EQ(c.sys_type, g_install_context.sys_type);

        // The cleanup runs before any folder is made; a missing Program
        // Files folder is created too.
        std::vector<std::string> expected = {"cleanup " + install, "create " + program_files,
                                             "create " + install, "create " + install + "\\Temp"};
        EXPECT_EQ(expected, g_core_test.events);
        EXPECT_TRUE(test_files::exists(g_core_test.remap(g_install_context.temp_dir)));
        // Each created with the protected descriptor, never the parent's.
        std::vector<std::string> descriptors = {program_files + " " + folder_sddl,
                                                install + " " + folder_sddl,
                                                install + "\\Temp " + folder_sddl};
        EXPECT_EQ(descriptors, g_core_test.descriptors);
    }
}

TEST_F(InstallContextTest, ExistingInstallFolderIsTakenOverBeforeUse)
{
    std::string root = scratch + "\\drive";
    g_core_test.drive_root = root;
    CreateDirectoryA(root.c_str(), nullptr);
    CreateDirectoryA((root + "\\Program Files (x86)").c_str(), nullptr);
    CreateDirectoryA((root + "\\Program Files (x86)\\QUORVANTA").c_str(), nullptr);
    ASSERT_TRUE(test_files::write_bytes(root + "\\Program Files (x86)\\QUORVANTA\\keep.txt", "x"));

    ASSERT_EQ(0, init_install_context(&g_install_context));
    // The Program Files folder is the system's and stays as it is; the
    // install folder, made by whoever came first, gets Administrators as
    // owner and the protected DACL before its Temp folder is made in it.
    const std::string install = "C:\\Program Files (x86)\\QUORVANTA";
    std::vector<std::string> expected = {"cleanup " + install, "secure owner " + install,
                                         "secure dacl " + install, "create " + install + "\\Temp"};
    EXPECT_EQ(expected, g_core_test.events);
    ASSERT_EQ(3u, g_core_test.descriptors.size());
    EXPECT_EQ(install + " O:BA", g_core_test.descriptors[0]);
    EXPECT_EQ(install + " " + std::string(folder_sddl).substr(4), g_core_test.descriptors[1]);
    EXPECT_EQ(install + "\\Temp " + folder_sddl, g_core_test.descriptors[2]);
    EXPECT_TRUE(test_files::exists(root + "\\Program Files (x86)\\QUORVANTA\\keep.txt"));
}

TEST_F(InstallContextTest, InstallFolderThatCannotBeTakenOverIsNotUsed)
{
    struct take_over_case {
        const char *name;
        int owner_refusals;
        bool dacl_fails;
        int result;
        std::vector<std::string> sets;
    };
    const std::string install = "C:\\Program Files (x86)\\QUORVANTA";
    const take_over_case cases[] = {
        // A DACL that denies Administrators: ownership through the privilege.
        {"owner refused once",
         1,
         false,
         0,
         {"secure owner " + install, "secure owner " + install, "secure dacl " + install}},
        {"owner refused", 2, false, -1, {"secure owner " + install, "secure owner " + install}},
        {"DACL refused", 0, true, -1, {"secure owner " + install, "secure dacl " + install}},
    };
    for (const take_over_case &c : cases) {
        SCOPED_TRACE(c.name);
        g_core_test.reset();
        memset(&g_install_context, 0, sizeof g_install_context);
        std::string root = scratch + "\\" + c.name;
        g_core_test.drive_root = root;
        CreateDirectoryA(root.c_str(), nullptr);
        CreateDirectoryA((root + "\\Program Files (x86)").c_str(), nullptr);
        CreateDirectoryA((root + "\\Program Files (x86)\\QUORVANTA").c_str(), nullptr);
        g_core_test.owner_refusals = c.owner_refusals;
        g_core_test.dacl_fails = c.dacl_fails;

        ::testing::internal::CaptureStdout();
        EXPECT_EQ(c.result, init_install_context(&g_install_context));
        std::string console = ::testing::internal::GetCapturedStdout();

        std::vector<std::string> sets;
        for (const std::string &event : g_core_test.events) {
            if (event.rfind("secure ", 0) == 0) {
                sets.push_back(event);
            }
        }
        EXPECT_EQ(c.sets, sets);
        bool temp_made = test_files::exists(root + "\\Program Files (x86)\\QUORVANTA\\Temp");
        EXPECT_EQ(c.result == 0, temp_made);
        if (c.result != 0) {
            // Not classified, so nothing is expanded into the folder; the
            // console line tells of the folder as for one not created.
            EXPECT_EQ(0, g_install_context.sys_type);
            EXPECT_EQ(0u, console.find("\xe5\x88\x9b\xe5\xbb\xba")) << console;
        }
    }
}

TEST_F(InstallContextTest, FileBlockingTheInstallFolderStopsBeforeClassifying)
{
    std::string root = scratch + "\\drive";
    g_core_test.drive_root = root;
    CreateDirectoryA(root.c_str(), nullptr);
    CreateDirectoryA((root + "\\Program Files (x86)").c_str(), nullptr);
    ASSERT_TRUE(test_files::write_bytes(root + "\\Program Files (x86)\\QUORVANTA", "file"));

    ::testing::internal::CaptureStdout();
    int result = init_install_context(&g_install_context);
    std::string console = ::testing::internal::GetCapturedStdout();

    EXPECT_EQ(-1, result);
    EXPECT_EQ(0, g_install_context.sys_type);
    // The line is UTF-8 as stored, with a bare line feed from a binary-
    // minded reader's view: compare the bytes without the CR the text-mode
    // console adds.
    std::string expected =
        "\xe5\x88\x9b\xe5\xbb\xba\xe7\x9b\xae\xe5\xbd\x95\xe9\x94\x99\xe8\xaf\xaf";
    ASSERT_GE(console.size(), expected.size());
    EXPECT_EQ(expected, console.substr(0, expected.size()));
    std::string ending = console.substr(expected.size());
    EXPECT_TRUE(ending == "\n" || ending == "\r\n") << ending.size();
    EXPECT_FALSE(test_files::exists(root + "\\Program Files (x86)\\QUORVANTA\\Temp"));
}

TEST(DirectoryExists, TellsFoldersFromFilesAndNothing)
{
    g_core_test.reset();
    std::string scratch = test_files::make_scratch_dir("exists");
    ASSERT_TRUE(test_files::write_bytes(scratch + "\\file", "x"));
    EXPECT_TRUE(directory_exists(scratch.c_str()));
    EXPECT_FALSE(directory_exists((scratch + "\\file").c_str()));
    EXPECT_FALSE(directory_exists((scratch + "\\missing").c_str()));
    test_files::delete_tree(scratch);
}

} // namespace
