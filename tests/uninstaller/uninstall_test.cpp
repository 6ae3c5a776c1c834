// The uninstaller's frame: the silent switch, name comparison, its folders
// and log, the uninstall entry, and how the steps' outcomes make the exit
// code.
#include "carried/uninstaller/uninstall.h"
#include "carried/uninstaller/uninstall_entry.h"
#include "carried/uninstaller/uninstall_names.h"
#include "core/install_log.h"

#include "uninstaller_test_support.h"

namespace
{

TEST(uninstall_switch, only_a_whole_slash_s_argument_in_any_case_is_silent)
{
    struct row {
        const char *command_line;
        bool silent;
    };
    const row rows[] = {
        {"/S", true},        {"/s", true},   {"  /S  ", true},    {"/x /S", true},
        {"/S /x", true},     {"\t/s", true}, {"\"/S\"", true},    {"\"a b\" /S", true},
        {nullptr, false},    {"", false},    {"   ", false},      {"/Silent", false},
        {"-S", false},       {"S", false},   {"x/S", false},      {"/S/x", false},
        {"\"/S x\"", false}, {"/", false},   {"\"a /S\"", false}, {"/SS", false},
    };
    for (const row &r : rows) {
        EXPECT_EQ(has_silent_switch(r.command_line), r.silent)
            << (r.command_line != nullptr ? r.command_line : "(null)");
    }
}

TEST(uninstall_names, compared_as_the_file_system_does)
{
    EXPECT_TRUE(names_equal("wlanbox_ndis650.cat", "WLANBOX_NDIS650.CAT"));
    EXPECT_FALSE(names_equal("wlanbox_ndis650.cat", "wlanbox_ndis650.ca"));
    EXPECT_FALSE(names_equal("wlanbox_ndis650.ca", "wlanbox_ndis650.cat"));
    EXPECT_FALSE(names_equal("wlanbox-ndis650.cat", "wlanbox_ndis650.cat"));
    EXPECT_TRUE(names_equal("", ""));

    const char folder[] = "C:\\Program Files (x86)\\QUORVANTA";
    EXPECT_TRUE(path_is_inside("C:\\Program Files (x86)\\QUORVANTA\\uninstall.exe", folder));
    EXPECT_TRUE(path_is_inside("c:\\program files (x86)\\quorvanta\\UNINSTALL.EXE", folder));
    EXPECT_TRUE(path_is_inside("C:\\Program Files (x86)\\QUORVANTA\\4780DV\\u.exe", folder));
    EXPECT_FALSE(path_is_inside("C:\\Program Files (x86)\\QUORVANTA2\\uninstall.exe", folder));
    EXPECT_FALSE(path_is_inside("C:\\Program Files (x86)\\QUORVANTA", folder));
    EXPECT_FALSE(path_is_inside("C:\\Program Files (x86)\\QUORVANTA\\", folder));
    EXPECT_FALSE(path_is_inside("C:\\Program Files (x86)\\QUORV", folder));
    EXPECT_FALSE(path_is_inside("C:\\Temp\\uninstall.exe", folder));
    EXPECT_FALSE(path_is_inside("C:\\x", ""));
}

class uninstall_frame_test : public uninstaller_test
{
};

TEST_F(uninstall_frame_test, the_installers_folder_by_architecture_and_a_new_log_of_its_own)
{
    char temp[MAX_PATH];
    ASSERT_NE(GetTempPathA(MAX_PATH, temp), 0u);
    const std::string prefix = std::string(temp) + "QUORVANTA_uninstall_";
    struct row {
        WORD architecture;
        const char *install_dir;
    };
    const row rows[] = {
        {PROCESSOR_ARCHITECTURE_AMD64, "C:\\Program Files (x86)\\QUORVANTA"},
        {PROCESSOR_ARCHITECTURE_IA64, "C:\\Program Files (x86)\\QUORVANTA"},
        {PROCESSOR_ARCHITECTURE_INTEL, "C:\\Program Files\\QUORVANTA"},
        {PROCESSOR_ARCHITECTURE_ALPHA64, "C:\\Program Files\\QUORVANTA"},
        {12 /* ARM64 */, "C:\\Program Files\\QUORVANTA"},
    };
    std::vector<std::string> folders;
    for (const row &r : rows) {
        g_fakes.architecture = r.architecture;
        install_context context = install_context();
        init_uninstall_context(&context);
        EXPECT_STREQ(context.install_dir, r.install_dir) << r.architecture;

        // A new folder of this run's own in the temp folder, the log new in it.
        std::string work = context.temp_dir;
        ASSERT_EQ(0u, work.rfind(prefix, 0)) << work;
        ASSERT_EQ('\\', work.back());
        EXPECT_EQ(work + "uninstall_log.txt", std::string(context.log_path));
        std::string log;
        EXPECT_TRUE(test_files::read_bytes(context.log_path, &log));
        EXPECT_TRUE(log.empty());
        for (const std::string &earlier : folders) {
            EXPECT_NE(earlier, work);
        }
        folders.push_back(work);
    }
    for (const std::string &folder : folders) {
        test_files::delete_tree(folder.substr(0, folder.size() - 1));
    }
}

// SYSTEM's temp folder is open to every user: a hard link left under the
// log's old fixed name must not carry the log into another file.
TEST_F(uninstall_frame_test, a_link_planted_in_the_temp_folder_leaves_its_target_alone)
{
    char temp[MAX_PATH];
    ASSERT_NE(GetTempPathA(MAX_PATH, temp), 0u);
    std::string victim = scratch + "\\victim.txt";
    std::string planted = std::string(temp) + "uninstall_log.txt";
    ASSERT_TRUE(test_files::write_bytes(victim, "precious"));
    DeleteFileA(planted.c_str());
    ASSERT_TRUE(CreateHardLinkA(planted.c_str(), victim.c_str(), nullptr));

    install_context context = install_context();
    init_uninstall_context(&context);
    g_install_context = context;
    log_message("Uninstall of %s started\n", context.install_dir);

    std::string bytes;
    ASSERT_TRUE(test_files::read_bytes(victim, &bytes));
    EXPECT_EQ("precious", bytes);
    EXPECT_EQ(1u, log_messages().size());
    DeleteFileA(planted.c_str());
    std::string work = context.temp_dir;
    if (!work.empty()) {
        test_files::delete_tree(work.substr(0, work.size() - 1));
    }
}

TEST_F(uninstall_frame_test, the_entry_the_installer_wrote_is_deleted_and_a_missing_one_is_fine)
{
    struct row {
        WORD architecture;
        LONG status;
        const char *key;
        int result;
        const char *logged;
    };
    const char key_64[] =
        "SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QUORVANTA4780";
    const char key_32[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QUORVANTA4780";
    const row rows[] = {
        {PROCESSOR_ARCHITECTURE_AMD64, ERROR_SUCCESS, key_64, 0, "Uninstall entry deleted\r\n"},
        {PROCESSOR_ARCHITECTURE_INTEL, ERROR_SUCCESS, key_32, 0, "Uninstall entry deleted\r\n"},
        {PROCESSOR_ARCHITECTURE_AMD64, ERROR_FILE_NOT_FOUND, key_64, 0,
         "Uninstall entry not found\r\n"},
        {PROCESSOR_ARCHITECTURE_AMD64, ERROR_ACCESS_DENIED, key_64, -1, nullptr},
    };
    for (const row &r : rows) {
        SCOPED_TRACE(r.status);
        g_fakes.reset();
        DeleteFileA(g_install_context.log_path);
        g_fakes.architecture = r.architecture;
        g_fakes.delete_key_status = r.status;

        EXPECT_EQ(delete_uninstall_entry(), r.result);
        EXPECT_EQ(g_fakes.deleted_root, HKEY_LOCAL_MACHINE);
        EXPECT_EQ(g_fakes.deleted_keys, (std::vector<std::string>{r.key}));
        std::string line = r.logged != nullptr
                               ? std::string(r.logged)
                               : "Delete uninstall entry " + std::string(r.key) + " failed: 5\r\n";
        EXPECT_EQ(log_messages(), (std::vector<std::string>{line}));
    }
}

// Every step runs whatever the others gave; any failure makes exit code 2.
TEST_F(uninstall_frame_test, one_failing_step_gives_2_and_the_others_still_run)
{
    enum failure { none, manager, driver_package, entry, folder };
    const failure failures[] = {none, manager, driver_package, entry, folder};
    for (failure f : failures) {
        SCOPED_TRACE(f);
        g_fakes.reset();
        DeleteFileA(g_install_context.log_path);

        std::string windows = scratch + "\\windows";
        std::string install = scratch + "\\QUORVANTA";
        CreateDirectoryA(windows.c_str(), nullptr);
        CreateDirectoryA((windows + "\\inf").c_str(), nullptr);
        test_files::write_bytes(windows + "\\inf\\oem4.inf",
                                "[Version]\r\nSignature=\"$Windows NT$\"\r\n"
                                "CatalogFile=wlanbox_ndis650.cat\r\n");
        CreateDirectoryA(install.c_str(), nullptr);
        test_files::write_bytes(install + "\\Disc_eject.exe", "eject");
        g_fakes.windows_dir = windows;
        g_fakes.module_path = scratch + "\\elsewhere\\uninstall.exe";
        install_context context = install_context();
        lstrcpyA(context.install_dir, install.c_str());
        lstrcpyA(context.log_path, g_install_context.log_path);

        fake_service usb;
        usb.name = "Vodorodeveroz";
        g_fakes.services = {usb};
        g_fakes.refuse_manager = f == manager;
        if (f == driver_package) {
            g_fakes.refused_packages = {"oem4.inf"};
        }
        if (f == entry) {
            g_fakes.delete_key_status = ERROR_ACCESS_DENIED;
        }
        if (f == folder) {
            g_fakes.locked_file = install + "\\Disc_eject.exe";
        }

        int expected = f == none ? uninstall_removed : uninstall_incomplete;
        EXPECT_EQ(run_uninstall(&context), expected);

        EXPECT_EQ(g_fakes.service_order.size(), f == manager ? 0u : 2u);
        EXPECT_EQ(g_fakes.uninstalled, (std::vector<std::string>{"oem4.inf"}));
        EXPECT_EQ(g_fakes.deleted_keys.size(), 1u);
        EXPECT_EQ(test_files::exists(install), f == folder);
        std::vector<std::string> messages = log_messages();
        ASSERT_FALSE(messages.empty());
        EXPECT_EQ(messages.front(), "Uninstall of " + install + " started\r\n");
        EXPECT_EQ(messages.back(),
                  "Uninstall finished, exit code " + std::to_string(expected) + "\r\n");
        test_files::delete_tree(install);
    }
}

} // namespace
