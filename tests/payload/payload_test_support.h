// Shared by the payload tests: a private install folder wired into the
// global install context, and the log's messages.
#pragma once

#include "core/install_context.h"

#include <string>
#include <vector>

struct test_install {
    std::string root;    // scratch folder, deleted afterwards
    std::string install; // root\QUORVANTA, with its Temp folder
    std::string temp;
};

// Creates the folders and fills g_install_context as the installer would,
// with the given system type; everything else zero.
test_install make_test_install(const std::string &tag, int sys_type);

void remove_test_install(const test_install &install);

// The log's messages without timestamp and line end; the log is then
// emptied, so each call returns what was logged since the last one.
std::vector<std::string> take_log_messages();

long long file_size(const std::string &path);
