// Removal of the install folder with the uninstaller running from inside
// it: real trees in a scratch folder; the program's own path substituted,
// moves recorded (restart scheduling never reaches the prefix), and the
// running program's file locked on demand, as Windows locks it.
#include "carried/uninstaller/uninstall_folder.h"

#include "uninstaller_test_support.h"

namespace
{

using test_files::exists;

class uninstall_folder_test : public uninstaller_test
{
  protected:
    std::string install;
    std::string temp;
    std::string self;
    char original_directory[MAX_PATH];

    void SetUp() override
    {
        uninstaller_test::SetUp();
        GetCurrentDirectoryA(MAX_PATH, original_directory);
        std::string program_files = scratch + "\\Program Files (x86)";
        install = program_files + "\\QUORVANTA";
        temp = scratch + "\\temp";
        self = install + "\\uninstall.exe";
        CreateDirectoryA(program_files.c_str(), nullptr);
        CreateDirectoryA(temp.c_str(), nullptr);
        make_installed_tree();
        lstrcpynA(g_install_context.install_dir, install.c_str(), MAX_PATH);
        // As GetTempPathA gives it: with a trailing backslash.
        lstrcpynA(g_install_context.temp_dir, (temp + "\\").c_str(), MAX_PATH);
        // The log lives elsewhere than the folder that goes.
        lstrcpynA(g_install_context.log_path, (scratch + "\\uninstall_log.txt").c_str(), MAX_PATH);
    }

    void TearDown() override
    {
        SetCurrentDirectoryA(original_directory);
        uninstaller_test::TearDown();
    }

    void make_installed_tree()
    {
        CreateDirectoryA(install.c_str(), nullptr);
        CreateDirectoryA((install + "\\4780DV").c_str(), nullptr);
        CreateDirectoryA((install + "\\Temp").c_str(), nullptr);
        test_files::write_bytes(self, "the running uninstaller");
        test_files::write_bytes(install + "\\Disc_eject.exe", "eject");
        test_files::write_bytes(install + "\\install_log.txt", "log");
        test_files::write_bytes(install + "\\4780DV\\wlanbox_ndis650.inf", "inf");
    }
};

TEST_F(uninstall_folder_test, running_from_inside_moves_itself_out_and_the_folder_goes)
{
    g_fakes.module_path = self;
    SetCurrentDirectoryA((install + "\\4780DV").c_str());

    EXPECT_EQ(remove_install_folder(&g_install_context), 0);

    EXPECT_FALSE(exists(install));
    std::vector<std::string> in_temp = test_files::folder_entries(temp);
    ASSERT_EQ(in_temp.size(), 1u);
    std::string moved = temp + "\\" + in_temp[0];
    std::string bytes;
    ASSERT_TRUE(test_files::read_bytes(moved, &bytes));
    EXPECT_EQ(bytes, "the running uninstaller");

    ASSERT_EQ(g_fakes.moves.size(), 2u);
    EXPECT_EQ(g_fakes.moves[0].existing, self);
    EXPECT_EQ(g_fakes.moves[0].target, moved);
    // Within the volume only: a copy would leave the locked original behind.
    EXPECT_EQ(g_fakes.moves[0].flags, static_cast<DWORD>(MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(g_fakes.moves[1].existing, moved);
    EXPECT_EQ(g_fakes.moves[1].target, "");
    EXPECT_EQ(g_fakes.moves[1].flags, static_cast<DWORD>(MOVEFILE_DELAY_UNTIL_REBOOT));
    EXPECT_EQ(count_messages(moved + " will be deleted at the next restart\r\n"), 1);

    char directory[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, directory);
    EXPECT_EQ(std::string(directory), temp);
}

TEST_F(uninstall_folder_test, its_short_name_is_recognised_as_inside_too)
{
    char short_self[MAX_PATH];
    ASSERT_NE(GetShortPathNameA(self.c_str(), short_self, MAX_PATH), 0u);
    ASSERT_NE(std::string(short_self), self);
    g_fakes.module_path = short_self;

    EXPECT_EQ(remove_install_folder(&g_install_context), 0);
    EXPECT_FALSE(exists(install));
    ASSERT_EQ(g_fakes.moves.size(), 2u);
    EXPECT_EQ(test_files::folder_entries(temp).size(), 1u);
}

TEST_F(uninstall_folder_test, when_it_cannot_move_its_file_and_folder_go_at_restart)
{
    // Another volume, and the running program's file locked, as on Windows.
    g_fakes.module_path = self;
    g_fakes.move_error = ERROR_NOT_SAME_DEVICE;
    g_fakes.locked_file = self;

    EXPECT_EQ(remove_install_folder(&g_install_context), -1);

    EXPECT_EQ(test_files::folder_entries(install), (std::vector<std::string>{"uninstall.exe"}));
    // The unique name reserved in the temp folder is given back.
    EXPECT_TRUE(test_files::folder_entries(temp).empty());
    ASSERT_EQ(g_fakes.moves.size(), 3u);
    EXPECT_EQ(g_fakes.moves[0].existing, self);
    // The file first: the folder can only go once it is empty.
    EXPECT_EQ(g_fakes.moves[1].existing, self);
    EXPECT_EQ(g_fakes.moves[1].flags, static_cast<DWORD>(MOVEFILE_DELAY_UNTIL_REBOOT));
    EXPECT_EQ(g_fakes.moves[2].existing, install);
    EXPECT_EQ(g_fakes.moves[2].flags, static_cast<DWORD>(MOVEFILE_DELAY_UNTIL_REBOOT));
    EXPECT_EQ(count_messages("Move " + self + " to "), 1);
    EXPECT_EQ(count_messages(" failed: 17\r\n"), 1);
    EXPECT_EQ(count_messages(self + " will be deleted at the next restart\r\n"), 1);
    EXPECT_EQ(count_messages(install + " will be deleted at the next restart\r\n"), 1);
}

TEST_F(uninstall_folder_test, an_unmoved_file_that_can_be_deleted_after_all_leaves_nothing)
{
    g_fakes.module_path = self;
    g_fakes.move_error = ERROR_NOT_SAME_DEVICE;

    EXPECT_EQ(remove_install_folder(&g_install_context), 0);
    EXPECT_FALSE(exists(install));
    ASSERT_EQ(g_fakes.moves.size(), 2u);
    EXPECT_EQ(g_fakes.moves[1].existing, self);
}

TEST_F(uninstall_folder_test, a_moved_copy_that_cannot_be_scheduled_is_reported)
{
    g_fakes.module_path = self;
    g_fakes.refuse_scheduling = true;

    EXPECT_EQ(remove_install_folder(&g_install_context), -1);
    EXPECT_FALSE(exists(install));
    ASSERT_EQ(test_files::folder_entries(temp).size(), 1u);
    EXPECT_EQ(count_messages("Schedule " + temp + "\\" + test_files::folder_entries(temp)[0] +
                             " for deletion at the next restart failed: 5\r\n"),
              1);
}

TEST_F(uninstall_folder_test, a_copy_run_from_elsewhere_leaves_its_surroundings)
{
    // A neighbour whose name begins with the install folder's.
    std::string tools = install + "_tools";
    CreateDirectoryA(tools.c_str(), nullptr);
    test_files::write_bytes(tools + "\\uninstall.exe", "a copy");
    test_files::write_bytes(tools + "\\neighbour.txt", "stays");
    g_fakes.module_path = tools + "\\uninstall.exe";

    EXPECT_EQ(remove_install_folder(&g_install_context), 0);
    EXPECT_FALSE(exists(install));
    EXPECT_TRUE(g_fakes.moves.empty());
    EXPECT_EQ(test_files::folder_entries(tools).size(), 2u);
    EXPECT_TRUE(test_files::folder_entries(temp).empty());
}

TEST_F(uninstall_folder_test, a_missing_folder_is_no_error)
{
    g_fakes.module_path = self;
    test_files::delete_tree(install);

    EXPECT_EQ(remove_install_folder(&g_install_context), 0);
    EXPECT_TRUE(g_fakes.moves.empty());
    EXPECT_EQ(log_messages(),
              (std::vector<std::string>{"Install folder " + install + " not found\r\n"}));
}

TEST_F(uninstall_folder_test, what_cannot_be_deleted_is_reported_and_the_rest_goes)
{
    // Not our own file: nothing is left for the restart.
    g_fakes.module_path = scratch + "\\elsewhere\\uninstall.exe";
    g_fakes.locked_file = install + "\\4780DV\\wlanbox_ndis650.inf";

    EXPECT_EQ(remove_install_folder(&g_install_context), -1);
    EXPECT_EQ(test_files::folder_entries(install), (std::vector<std::string>{"4780DV"}));
    EXPECT_TRUE(g_fakes.moves.empty());
    EXPECT_EQ(count_messages("delete directory path=" + install + "\\4780DV error=145\r\n"), 1);
}

} // namespace
