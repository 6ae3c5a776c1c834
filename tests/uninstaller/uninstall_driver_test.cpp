// Which published packages the uninstaller takes from the driver store:
// real INF files in a stand-in Windows folder, read by the platform's INF
// parser; the removal itself only recorded (or refused).
#include "carried/uninstaller/uninstall_driver.h"

#include "uninstaller_test_support.h"

#include <setupapi.h>

#include <algorithm>

namespace
{

std::string version_section(const std::string &catalog_line)
{
    return "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Net\r\n" + catalog_line +
           "\r\nDriverVer=07/13/2021,10.0.4780.650\r\n";
}

struct inf_case {
    const char *file_name;
    std::string text;
    bool removed;
};

std::vector<inf_case> inf_cases()
{
    return {
        // What Windows publishes, and what Wine keeps under its own name.
        {"oem12.inf", version_section("CatalogFile=wlanbox_ndis650.cat"), true},
        {"wlanbox_ndis620.inf", version_section("catalogfile = WLANBOX_NDIS620.CAT"), true},
        {"quoted.inf", version_section("CatalogFile=\"wlanbox_ndis650.cat\""), true},
        {"strings.inf",
         version_section("CatalogFile=%Catalog%") +
             "[Strings]\r\nCatalog=\"wlanbox_ndis650.cat\"\r\n",
         true},
        {"UPPER.INF", version_section("CatalogFile=wlanbox_ndis620.cat"), true},
        // Not ours: the value differs, or it stands elsewhere.
        {"longer.inf", version_section("CatalogFile=wlanbox_ndis650.cat.old"), false},
        {"prefix.inf", version_section("CatalogFile=wlanbox_ndis.cat"), false},
        {"shorter.inf", version_section("CatalogFile=ndis650.cat"), false},
        {"foreign.inf",
         version_section("CatalogFile=foreign.cat") + "[Strings]\r\nx=\"wlanbox_ndis650.cat\"\r\n",
         false},
        {"decorated.inf", version_section("CatalogFile.NTamd64=wlanbox_ndis650.cat"), false},
        {"elsewhere.inf",
         version_section("Provider=QUOR") + "[Manufacturer]\r\nCatalogFile=wlanbox_ndis650.cat\r\n",
         false},
        // Not INF files, whatever they hold.
        {"notes.txt", version_section("CatalogFile=wlanbox_ndis650.cat"), false},
        {"tricky.infx", version_section("CatalogFile=wlanbox_ndis650.cat"), false},
    };
}

class uninstall_driver_test : public uninstaller_test
{
  protected:
    std::string windows_dir;
    std::string inf_dir;

    void SetUp() override
    {
        uninstaller_test::SetUp();
        use_windows_dir(scratch + "\\windows");
    }

    void use_windows_dir(const std::string &path)
    {
        windows_dir = path;
        inf_dir = windows_dir + "\\inf";
        CreateDirectoryA(windows_dir.c_str(), nullptr);
        CreateDirectoryA(inf_dir.c_str(), nullptr);
        g_fakes.windows_dir = windows_dir;
    }

    void write_inf(const std::string &name, const std::string &text)
    {
        // Wide and unbounded, so that over-long paths can be made too.
        std::string path = "\\\\?\\" + inf_dir + "\\" + name;
        std::wstring wide(path.begin(), path.end());
        HANDLE file =
            CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
        DWORD written = 0;
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(file);
    }

    std::vector<std::string> sorted(std::vector<std::string> names)
    {
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(uninstall_driver_test, only_packages_naming_an_adapter_catalog_are_removed)
{
    std::vector<std::string> expected;
    for (const inf_case &c : inf_cases()) {
        write_inf(c.file_name, c.text);
        if (c.removed) {
            expected.push_back(c.file_name);
        }
    }
    CreateDirectoryA((inf_dir + "\\folder.inf").c_str(), nullptr);

    EXPECT_EQ(remove_driver_packages(), 0);
    EXPECT_EQ(sorted(g_fakes.uninstalled), sorted(expected));
    for (DWORD flags : g_fakes.uninstall_flags) {
        EXPECT_EQ(flags, static_cast<DWORD>(SUOI_FORCEDELETE));
    }
    for (const std::string &name : expected) {
        EXPECT_EQ(count_messages("Driver package " + name + " removed\r\n"), 1) << name;
    }
    EXPECT_EQ(log_messages().size(), expected.size());
}

TEST_F(uninstall_driver_test, a_refused_removal_fails_the_step_and_the_rest_go_on)
{
    write_inf("oem3.inf", version_section("CatalogFile=wlanbox_ndis650.cat"));
    write_inf("oem7.inf", version_section("CatalogFile=wlanbox_ndis620.cat"));
    g_fakes.refused_packages = {"oem3.inf"};

    EXPECT_EQ(remove_driver_packages(), -1);
    EXPECT_EQ(sorted(g_fakes.uninstalled), (std::vector<std::string>{"oem3.inf", "oem7.inf"}));
    EXPECT_EQ(count_messages("Remove driver package oem3.inf failed: 5\r\n"), 1);
    EXPECT_EQ(count_messages("Driver package oem7.inf removed\r\n"), 1);
}

TEST_F(uninstall_driver_test, an_empty_store_is_no_error_an_unreadable_one_is)
{
    EXPECT_EQ(remove_driver_packages(), 0);
    EXPECT_TRUE(log_messages().empty());

    RemoveDirectoryA(inf_dir.c_str());
    EXPECT_EQ(remove_driver_packages(), -1);
    EXPECT_EQ(count_messages("List INF folder " + inf_dir + " failed: 3\r\n"), 1);

    g_fakes.windows_dir_error = ERROR_ACCESS_DENIED;
    EXPECT_EQ(remove_driver_packages(), -1);
    EXPECT_EQ(count_messages("Windows directory not obtained: 5\r\n"), 1);
    EXPECT_TRUE(g_fakes.uninstalled.empty());
}

TEST_F(uninstall_driver_test, paths_that_would_not_fit_are_never_written_past_a_buffer)
{
    // A Windows folder of 259 characters fills the buffer: nothing is read.
    g_fakes.windows_dir = "C:\\" + std::string(256, 'w');
    EXPECT_EQ(remove_driver_packages(), -1);
    // 250: the folder and "\inf" fit, the search pattern does not.
    g_fakes.windows_dir = "C:\\" + std::string(247, 'w');
    EXPECT_EQ(remove_driver_packages(), -1);
    EXPECT_EQ(count_messages("Windows directory too long, driver packages not removed\r\n"), 2);
    EXPECT_EQ(g_fakes.windows_dir_calls, 2);

    // A real folder of 240 characters: short names fit, a long one does
    // not and is skipped; the scan goes on past it.
    std::string deep = scratch + "\\" + std::string(239 - scratch.size(), 'd');
    ASSERT_EQ(deep.size(), 240u);
    use_windows_dir(deep);
    std::string long_name = std::string(20, 'x') + ".inf";
    write_inf("oem1.inf", version_section("CatalogFile=wlanbox_ndis650.cat"));
    write_inf(long_name, version_section("CatalogFile=wlanbox_ndis650.cat"));
    write_inf("oem2.inf", version_section("CatalogFile=wlanbox_ndis620.cat"));
    DeleteFileA(g_install_context.log_path);

    EXPECT_EQ(remove_driver_packages(), 0);
    EXPECT_EQ(sorted(g_fakes.uninstalled), (std::vector<std::string>{"oem1.inf", "oem2.inf"}));
    EXPECT_EQ(count_messages("INF path too long, skipped: " + inf_dir + "\\" + long_name + "\r\n"),
              1);

    // The scratch folder's removal works within MAX_PATH: this one goes first.
    std::string path = "\\\\?\\" + inf_dir + "\\" + long_name;
    EXPECT_TRUE(DeleteFileW(std::wstring(path.begin(), path.end()).c_str()));
}

} // namespace
