// The expansion through Wine's real INF installer: both pairs, the layout
// and the log, and each way a stage fails.
#include "payload/cabinet_expansion.h"
#include "payload/payload_arrays.h"
#include "payload/payload_data.h"

#include "expansion_fakes_control.h"
#include "payload_test_support.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

const std::vector<std::string> common_members = {
    "Disc_eject.exe", "Vodorodeveroz.exe", "qv4780_fw.bin", "uninstall.exe", "mvla_settings.ini"};

bool is_callback_line(const std::string &message)
{
    const char *prefixes[] = {"callback:", "copy name=", "media, ", "dst_path="};
    for (const char *prefix : prefixes) {
        if (message.rfind(prefix, 0) == 0) {
            return true;
        }
    }
    return false;
}

std::vector<std::string> without_callback_lines(const std::vector<std::string> &messages)
{
    std::vector<std::string> kept;
    for (const std::string &message : messages) {
        if (!is_callback_line(message)) {
            kept.push_back(message);
        }
    }
    return kept;
}

std::vector<std::string> copy_lines(const std::vector<std::string> &messages)
{
    std::vector<std::string> kept;
    for (const std::string &message : messages) {
        if (message.rfind("copy name=", 0) == 0) {
            kept.push_back(message.substr(10));
        }
    }
    return kept;
}

std::vector<std::string> sorted(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end());
    return names;
}

// Holds a file open without delete sharing, so that it cannot be deleted
// while the installer may still write and read it.
struct held_file {
    explicit held_file(const std::string &path)
    {
        handle = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_ALWAYS, 0, nullptr);
        EXPECT_NE(INVALID_HANDLE_VALUE, handle);
    }
    ~held_file()
    {
        CloseHandle(handle);
    }
    HANDLE handle;
};

class CabinetExpansion : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        reset_fakes();
    }
    void TearDown() override
    {
        for (const test_install &install : installs) {
            remove_test_install(install);
        }
    }

    const test_install &prepare(int sys_type)
    {
        installs.push_back(make_test_install("expansion", sys_type));
        return installs.back();
    }

    std::vector<test_install> installs;
};

TEST_F(CabinetExpansion, ExpandsTheCommonPairAndTheDriverPairOfEachSystemType)
{
    struct row {
        int sys_type;
        const char *package;
    };
    const row rows[] = {{3, "wlanbox_ndis620"},
                        {4, "wlanbox_ndis620"},
                        {5, "wlanbox_ndis650"},
                        {6, "wlanbox_ndis650"}};
    for (const row &r : rows) {
        SCOPED_TRACE(r.sys_type);
        reset_fakes();
        const test_install &install = prepare(r.sys_type);
        std::string driver_folder = install.install + "\\4780DV";
        std::string inf = driver_folder + "\\" + r.package + ".inf";
        std::string setup = install.temp + "\\setup.txt";

        ASSERT_EQ(0, extract_payload(&g_install_context));

        // The layout: five members, the driver folder with its three, an
        // empty temp folder, and the log.
        std::vector<std::string> top = common_members;
        top.push_back("4780DV");
        top.push_back("Temp");
        top.push_back("install_log.txt");
        EXPECT_EQ(sorted(top), test_files::folder_entries(install.install));
        EXPECT_EQ(sorted({std::string(r.package) + ".cat", std::string(r.package) + ".inf",
                          std::string(r.package) + ".sys"}),
                  test_files::folder_entries(driver_folder));
        EXPECT_TRUE(test_files::folder_entries(install.temp).empty());
        EXPECT_EQ(0, file_size(install.install + "\\mvla_settings.ini"));
        EXPECT_GT(file_size(install.install + "\\Vodorodeveroz.exe"), 0);
        EXPECT_GT(file_size(inf), 0);

        EXPECT_EQ(1, g_install_context.inf_found);
        EXPECT_EQ(inf, g_install_context.inf_path);
        EXPECT_EQ(1, g_install_context.cab_stage);

        std::vector<std::string> messages = take_log_messages();
        std::vector<std::string> expected = {"Start decompress...",
                                             "Start decompress file",
                                             "src_path:" + setup,
                                             "drv=",
                                             "sys_type=" + std::to_string(r.sys_type),
                                             "Start decompress file",
                                             "src_path:" + setup,
                                             "drv=" + inf};
        EXPECT_EQ(expected, without_callback_lines(messages));

        std::vector<std::string> copies;
        for (const std::string &member : common_members) {
            copies.push_back(install.install + "\\" + member);
        }
        for (const char *extension : {".cat", ".inf", ".sys"}) {
            copies.push_back(driver_folder + "\\" + r.package + extension);
        }
        EXPECT_EQ(copies, copy_lines(messages));
        EXPECT_NE(messages.end(), std::find(messages.begin(), messages.end(),
                                            "media, des=file packet, src_path=" + install.temp +
                                                ", src_file=Disc_eject.exe"));
        EXPECT_EQ(std::vector<std::string>({"close inf", "close inf"}), g_fakes.journal);
    }
}

TEST_F(CabinetExpansion, SystemTypeZeroWritesNothing)
{
    const test_install &install = prepare(0);
    g_install_context.cab_stage = 1;
    EXPECT_EQ(-1, extract_payload(&g_install_context));
    EXPECT_EQ(std::vector<std::string>({"Start decompress...", "system type error!"}),
              take_log_messages());
    EXPECT_EQ(std::vector<std::string>({"Temp"}), test_files::folder_entries(install.install));
    EXPECT_TRUE(test_files::folder_entries(install.temp).empty());
    EXPECT_EQ(1, g_install_context.cab_stage);
}

TEST_F(CabinetExpansion, UnsupportedSystemTypeKeepsTheCommonPayload)
{
    for (int sys_type : {-1, 1, 2}) {
        SCOPED_TRACE(sys_type);
        const test_install &install = prepare(sys_type);
        EXPECT_EQ(-1, extract_payload(&g_install_context));

        std::vector<std::string> top = common_members;
        top.push_back("Temp");
        top.push_back("install_log.txt");
        EXPECT_EQ(sorted(top), test_files::folder_entries(install.install));
        EXPECT_TRUE(test_files::folder_entries(install.temp).empty());
        EXPECT_EQ(0, g_install_context.inf_found);

        std::vector<std::string> messages = without_callback_lines(take_log_messages());
        ASSERT_GE(messages.size(), 2u);
        EXPECT_EQ("sys_type=" + std::to_string(sys_type), messages[messages.size() - 2]);
        EXPECT_EQ("unsupport system type", messages.back());
    }
}

TEST_F(CabinetExpansion, TemporaryFileThatCannotBeCreated)
{
    // No temp folder at all; then a folder in the script file's place.
    for (bool script_only : {false, true}) {
        SCOPED_TRACE(script_only ? "setup.txt" : "both");
        const test_install &install = prepare(6);
        if (script_only) {
            CreateDirectoryA((install.temp + "\\setup.txt").c_str(), nullptr);
        } else {
            RemoveDirectoryA(install.temp.c_str());
        }
        EXPECT_EQ(-1, extract_payload(&g_install_context));
        EXPECT_EQ(std::vector<std::string>({"Start decompress...", "Start decompress file",
                                            "open src file failed!", "gen dst file failed",
                                            "decompress cab common failed"}),
                  take_log_messages());
        EXPECT_EQ(script_only ? common_cabinet_length : -1,
                  file_size(install.temp + "\\cab_file.cab"));
        EXPECT_EQ(0, g_install_context.cab_stage);
    }
}

TEST_F(CabinetExpansion, ByteThatCannotBeWritten)
{
    // The 100th byte of the cabinet; then the flush when the file closes.
    for (bool at_close : {false, true}) {
        SCOPED_TRACE(at_close ? "close" : "byte");
        const test_install &install = prepare(6);
        reset_fakes();
        if (at_close) {
            g_fakes.fclose_fails = true;
        } else {
            g_fakes.fwrite_fails_at = 99;
        }
        EXPECT_EQ(-1, extract_payload(&g_install_context));
        EXPECT_EQ(std::vector<std::string>({"Start decompress...", "Start decompress file",
                                            "write file failed", "gen dst file failed",
                                            "decompress cab common failed"}),
                  take_log_messages());
        std::string cabinet = install.temp + "\\cab_file.cab";
        EXPECT_EQ(at_close ? common_cabinet_length : 99, file_size(cabinet));
        EXPECT_FALSE(test_files::exists(install.temp + "\\setup.txt"));
        // Closed: nothing holds it any more.
        EXPECT_TRUE(DeleteFileA(cabinet.c_str()));
    }
}

TEST_F(CabinetExpansion, ScriptThatDoesNotOpenAsAnInfKeepsBothFilesWithoutShellOrWait)
{
    const test_install &install = prepare(6);
    static const unsigned char not_an_inf[] = "[Install]\r\nCopyFiles=ProgramFiles\r\n";
    int length = static_cast<int>(sizeof not_an_inf - 1);
    EXPECT_EQ(-1, expand_cabinet(&g_install_context, common_cabinet, common_cabinet_length,
                                 not_an_inf, length));
    std::string setup = install.temp + "\\setup.txt";
    EXPECT_EQ(std::vector<std::string>({"Start decompress file", "open inf failed! path=" + setup,
                                        "set_up driver file failed"}),
              take_log_messages());
    // Logged and returned at once: no command interpreter, no key awaited.
    EXPECT_TRUE(g_fakes.journal.empty()) << g_fakes.journal.front();
    EXPECT_EQ(common_cabinet_length, file_size(install.temp + "\\cab_file.cab"));
    EXPECT_EQ(length, file_size(setup));
}

TEST_F(CabinetExpansion, DirectoryIdThatCannotBeBoundClosesWithoutShellOrWait)
{
    const test_install &install = prepare(6);
    g_fakes.directory_id_fails = true;
    EXPECT_EQ(-1, extract_payload(&g_install_context));
    std::string setup = install.temp + "\\setup.txt";
    EXPECT_EQ(std::vector<std::string>(
                  {"Start decompress...", "Start decompress file", "src_path:" + setup,
                   "could not associate a dir ID, dst_path=" + install.install,
                   "set_up driver file failed", "decompress cab common failed"}),
              take_log_messages());
    EXPECT_EQ(std::vector<std::string>({"close inf"}), g_fakes.journal);
    EXPECT_EQ(common_cabinet_length, file_size(install.temp + "\\cab_file.cab"));
    EXPECT_EQ(common_setup_script_length, file_size(setup));
}

TEST_F(CabinetExpansion, CorruptCabinetFailsTheInstall)
{
    const test_install &install = prepare(6);
    // Garble the compressed data past the headers; the header stays valid.
    std::string corrupt(reinterpret_cast<const char *>(common_cabinet), common_cabinet_length);
    for (size_t i = 512; i < corrupt.size(); i += 7) {
        corrupt[i] = static_cast<char>(corrupt[i] ^ 0x5a);
    }
    EXPECT_EQ(-1, expand_cabinet(
                      &g_install_context, reinterpret_cast<const unsigned char *>(corrupt.data()),
                      common_cabinet_length, common_setup_script, common_setup_script_length));

    std::vector<std::string> messages = without_callback_lines(take_log_messages());
    ASSERT_EQ(4u, messages.size());
    EXPECT_EQ("src_path:" + install.temp + "\\setup.txt", messages[1]);
    EXPECT_EQ(0u, messages[2].rfind("install from section failed! error=", 0)) << messages[2];
    EXPECT_EQ("set_up driver file failed", messages[3]);
    EXPECT_EQ(std::vector<std::string>({"close inf"}), g_fakes.journal);
    EXPECT_EQ(common_cabinet_length, file_size(install.temp + "\\cab_file.cab"));
    EXPECT_EQ(common_setup_script_length, file_size(install.temp + "\\setup.txt"));
}

TEST_F(CabinetExpansion, TemporaryFileThatCannotBeDeleted)
{
    for (const char *held_name : {"cab_file.cab", "setup.txt"}) {
        SCOPED_TRACE(held_name);
        const test_install &install = prepare(6);
        std::string cabinet = install.temp + "\\cab_file.cab";
        std::string setup = install.temp + "\\setup.txt";
        {
            held_file held(install.temp + "\\" + held_name);
            EXPECT_EQ(-1, extract_payload(&g_install_context));
        }
        std::vector<std::string> messages = without_callback_lines(take_log_messages());
        ASSERT_GE(messages.size(), 3u);
        EXPECT_EQ(std::vector<std::string>(
                      {"drv=", "delete file failed", "decompress cab common failed"}),
                  std::vector<std::string>(messages.end() - 3, messages.end()));
        // The common members are in place: only the deletion failed.
        EXPECT_GT(file_size(install.install + "\\Vodorodeveroz.exe"), 0);
        bool cabinet_held = std::string(held_name) == "cab_file.cab";
        EXPECT_EQ(cabinet_held ? common_cabinet_length : -1, file_size(cabinet));
        EXPECT_EQ(common_setup_script_length, file_size(setup));
        EXPECT_EQ(0, g_install_context.cab_stage);
    }
}

TEST_F(CabinetExpansion, WrittenFilesHoldExactlyTheirBytes)
{
    const test_install &install = prepare(6);
    std::string path = install.temp + "\\blob.bin";
    static const unsigned char bytes[] = {'a', '\n', 0, '\r', '\n', 0x1a, 0xff};
    ASSERT_EQ(0, write_blob_file(path.c_str(), bytes, sizeof bytes));
    std::string written;
    ASSERT_TRUE(test_files::read_bytes(path, &written));
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(bytes), sizeof bytes), written);

    // A shorter write truncates; a count of 0 or less leaves an empty file.
    ASSERT_EQ(0, write_blob_file(path.c_str(), bytes, 2));
    EXPECT_EQ(2, file_size(path));
    ASSERT_EQ(0, write_blob_file(path.c_str(), bytes, -5));
    EXPECT_EQ(0, file_size(path));
    EXPECT_TRUE(take_log_messages().empty());
}

} // namespace
