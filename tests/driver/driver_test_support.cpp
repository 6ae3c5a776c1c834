#include "driver_test_support.h"

#include "core/install_context.h"
#include "core/text.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <windows.h>

// The log writer finds its path here; the tests link no context code.
install_context g_install_context;

void use_fresh_log(const std::string &tag)
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string path = std::string(temp) + "qv_driver_" + tag + "_" +
                       std::to_string(GetCurrentProcessId()) + ".txt";
    DeleteFileA(path.c_str());
    ASSERT_EQ(
        0, text_copy(g_install_context.log_path, sizeof g_install_context.log_path, path.c_str()));
}

std::vector<std::string> log_messages()
{
    std::vector<std::string> messages;
    std::string bytes;
    if (!test_files::read_bytes(g_install_context.log_path, &bytes)) {
        return messages;
    }

    // Every driver message ends in a line break, stored as CR LF.
    const size_t prefix = 23 + 6;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find("\r\n", start);
        std::string record = bytes.substr(start, end == std::string::npos ? end : end - start);
        EXPECT_EQ("######", record.substr(23, 6)) << record;
        messages.push_back(record.size() >= prefix ? record.substr(prefix) + "\n" : record);
        if (end == std::string::npos) {
            break;
        }
        start = end + 2;
    }
    return messages;
}

std::string inf_folder()
{
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    return std::string(windows) + "\\inf\\";
}

void start_stdout_capture()
{
    testing::internal::CaptureStdout();
}

std::string stop_stdout_capture()
{
    std::string text = testing::internal::GetCapturedStdout();
    std::string lines;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        lines += text[i];
    }
    return lines;
}
