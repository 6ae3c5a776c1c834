#include "payload_test_support.h"

#include "test_files.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string.h>

test_install make_test_install(const std::string &tag, int sys_type)
{
    test_install install;
    install.root = test_files::make_scratch_dir(tag);
    install.install = install.root + "\\QUORVANTA";
    install.temp = install.install + "\\Temp";
    CreateDirectoryA(install.install.c_str(), nullptr);
    CreateDirectoryA(install.temp.c_str(), nullptr);
    // The capture looks for "inf" in target paths: the folder must not.
    EXPECT_EQ(std::string::npos, install.install.find("inf")) << install.install;

    memset(&g_install_context, 0, sizeof g_install_context);
    g_install_context.sys_type = sys_type;
    strcpy(g_install_context.program_files_dir, install.root.c_str());
    strcpy(g_install_context.install_dir, install.install.c_str());
    strcpy(g_install_context.temp_dir, install.temp.c_str());
    strcpy(g_install_context.log_path, (install.install + "\\install_log.txt").c_str());
    return install;
}

void remove_test_install(const test_install &install)
{
    test_files::delete_tree(install.root);
}

std::vector<std::string> take_log_messages()
{
    std::string log;
    test_files::read_bytes(g_install_context.log_path, &log);
    DeleteFileA(g_install_context.log_path);
    std::vector<std::string> messages = test_files::log_messages(log);
    for (std::string &message : messages) {
        EXPECT_EQ("\r\n", message.substr(message.size() < 2 ? 0 : message.size() - 2)) << message;
        if (message.size() >= 2) {
            message.resize(message.size() - 2);
        }
    }
    return messages;
}

long long file_size(const std::string &path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        return -1;
    }
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}
