// Shared by the driver tests: the install log read back as messages, the
// prefix's INF folder and captured standard output.
#pragma once

#include <string>
#include <vector>

// Points the install log at a fresh private file.
void use_fresh_log(const std::string &tag);

// The messages of the log's records, in order, without their timestamps.
std::vector<std::string> log_messages();

// The prefix's INF folder, ending in a backslash.
std::string inf_folder();

// Standard output written while the capture ran, line breaks as "\n".
void start_stdout_capture();
std::string stop_stdout_capture();
