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

// Opens the log for appending. The log may lie where others can create
// files (an install folder left by someone else, a temp folder): a link
// there would turn an elevated append into a write to any file. So the
// open follows no reparse point, and a file with another name elsewhere (a
// hard link) is refused. INVALID_HANDLE_VALUE when refused or not opened.
HANDLE open_log_file(const char *path)
{
    if (path[0] == '\0') {
        return INVALID_HANDLE_VALUE;
    }
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return INVALID_HANDLE_VALUE;
    }
    BY_HANDLE_FILE_INFORMATION information;
    if (!GetFileInformationByHandle(file, &information) || information.nNumberOfLinks != 1 ||
        (information.dwFileAttributes &
         (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        CloseHandle(file);
        return INVALID_HANDLE_VALUE;
    }
    return file;
}

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

    // Every "\n" of a message lands as CR LF, as the text-mode log always had.
    char record[2 * line_capacity];
    size_t used = 0;
    for (const char *c = line; *c != '\0'; ++c) {
        if (*c == '\n') {
            record[used++] = '\r';
        }
        record[used++] = *c;
    }

    HANDLE file = open_log_file(g_install_context.log_path);
    if (file == INVALID_HANDLE_VALUE) {
        return -1;
    }
    DWORD written = 0;
    BOOL wrote = WriteFile(file, record, static_cast<DWORD>(used), &written, nullptr);
    CloseHandle(file);
    return wrote && written == used ? 0 : -1;
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
