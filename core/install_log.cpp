#include "core/install_log.h"

#include "core/install_context.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <windows.h>

namespace
{

const size_t message_capacity = 512;
const size_t line_capacity = 1024;
const size_t wide_capacity = 512;

} // namespace

void log_message(const char *format, ...)
{
    char message[message_capacity];
    va_list arguments;
    va_start(arguments, format);
    int written = vsnprintf(message, sizeof message, format, arguments);
    va_end(arguments);
    if (written < 0) {
        message[0] = '\0';
    }
    message[sizeof message - 1] = '\0';
    append_log_line(message);
}

int append_log_line(const char *message)
{
    SYSTEMTIME now;
    GetLocalTime(&now);

    char line[line_capacity];
    int length = snprintf(line, sizeof line, "%04d-%02d-%02d %02d:%02d:%02d.%03d######%s",
                          now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond,
                          now.wMilliseconds, message);
    if (length < 0) {
        return -1;
    }

    FILE *file = nullptr;
    // Text mode: every "\n" of a message lands as CR LF.
    if (fopen_s(&file, g_install_context.log_path, "a+") != 0 || file == nullptr) {
        return -1;
    }
    fprintf(file, "%s", line);
    fclose(file);
    return 0;
}

void console_line(const char *format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    vprintf(format, arguments);
    va_end(arguments);
    fflush(stdout);
}

void console_line_wide(const wchar_t *format, ...)
{
    wchar_t text[wide_capacity];
    va_list arguments;
    va_start(arguments, format);
    int written = vswprintf(text, wide_capacity, format, arguments);
    va_end(arguments);
    if (written < 0) {
        text[wide_capacity - 1] = L'\0';
    }

    // The console may be a pipe or a file: UTF-8 reads the same everywhere.
    char bytes[wide_capacity * 3];
    int count = WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes, sizeof bytes, nullptr, nullptr);
    if (count > 1) {
        fwrite(bytes, 1, static_cast<size_t>(count - 1), stdout);
        fflush(stdout);
    }
}
