// File helpers for tests that run under Wine: private scratch folders and
// whole-file reads.
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace test_files
{

// A new empty folder under the temp directory, named after tag and the
// process, so tests sharing a prefix never meet.
inline std::string make_scratch_dir(const std::string &tag)
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string path = std::string(temp) + "qv_" + tag + "_" +
                       std::to_string(GetCurrentProcessId()) + "_" + std::to_string(GetTickCount());
    CreateDirectoryA(path.c_str(), nullptr);
    return path;
}

// Deletes a folder tree created by a test (attributes reset first).
inline void delete_tree(const std::string &path)
{
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = entry.cFileName;
            if (name == "." || name == "..") {
                continue;
            }
            std::string full = path + "\\" + name;
            SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                delete_tree(full);
            } else if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveDirectoryA(full.c_str());
            } else {
                DeleteFileA(full.c_str());
            }
        } while (FindNextFileA(search, &entry));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

inline bool read_bytes(const std::string &path, std::string *bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    bytes->clear();
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) {
        bytes->append(chunk, got);
    }
    CloseHandle(file);
    return true;
}

inline bool write_bytes(const std::string &path, const std::string &bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

// Names of the entries of a folder, "." and ".." left out, sorted.
inline std::vector<std::string> folder_entries(const std::string &folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        std::string name = entry.cFileName;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

inline bool exists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The records of an install log with their 29-character prefix
// (timestamp and "######") removed; the text between prefixes is kept
// as written, CR LF included.
inline std::vector<std::string> log_messages(const std::string &log)
{
    std::vector<std::string> messages;
    size_t position = 0;
    while (position < log.size()) {
        size_t start = position + 29;
        if (start > log.size()) {
            break;
        }
        // The next record starts at the next "######" minus the timestamp.
        size_t next_separator = log.find("######", start);
        size_t end = next_separator == std::string::npos ? log.size() : next_separator - 23;
        messages.push_back(log.substr(start, end - start));
        position = end;
    }
    return messages;
}

} // namespace test_files
