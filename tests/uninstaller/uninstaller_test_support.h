// Shared by the uninstaller's unit tests: a scratch folder with the log in
// it, the substitutes reset, and the log's messages.
#pragma once

#include "core/install_context.h"
#include "uninstaller_fakes_control.h"

#include "test_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

class uninstaller_test : public ::testing::Test
{
  protected:
    std::string scratch;

    void SetUp() override
    {
        g_fakes.reset();
        g_install_context = install_context();
        scratch = test_files::make_scratch_dir("uninst");
        std::string log = scratch + "\\uninstall_log.txt";
        lstrcpynA(g_install_context.log_path, log.c_str(), MAX_PATH);
    }

    void TearDown() override
    {
        test_files::delete_tree(scratch);
    }

    // The log's messages without timestamps; line breaks as written (CR LF).
    std::vector<std::string> log_messages() const
    {
        std::string bytes;
        if (!test_files::read_bytes(g_install_context.log_path, &bytes)) {
            return {};
        }
        return test_files::log_messages(bytes);
    }

    // How many messages contain text.
    int count_messages(const std::string &text) const
    {
        int count = 0;
        for (const std::string &message : log_messages()) {
            if (message.find(text) != std::string::npos) {
                ++count;
            }
        }
        return count;
    }
};
