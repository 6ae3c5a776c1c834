// The install log and the two console outputs beside it.
#pragma once

#include <wchar.h>

// Formats one message (at most 511 characters) and appends it as a record.
void log_message(const char *format, ...);

// Appends timestamp, "######" and message to the log file.
// 0 when written, -1 when the file cannot be opened.
int append_log_line(const char *message);

// Narrow console line on standard output, no timestamp.
void console_line(const char *format, ...);

// Wide console line on standard output, no timestamp; written as UTF-8.
void console_line_wide(const wchar_t *format, ...);
