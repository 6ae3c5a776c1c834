// The cleanup of an earlier installation: the commands it starts and the
// removal of the install folder, on real trees in the bench prefix. Links
// cannot be made under Wine, so the listing marks chosen folders as links.
#include "core/tree_removal.h"
#include "setup/cleanup.h"

#include "registration_test_support.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <string.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace
{

struct process_call {
    std::string application;
    std::string command_line;
    BOOL inherit_handles;
    DWORD creation_flags;
    bool plain_startup; // all zero except its size
};

struct cleanup_fakes {
    bool refuse_processes = false;
    std::vector<process_call> processes;
    std::vector<std::string> events;          // processes, pauses and searches in order
    std::map<std::string, std::string> links; // shown as a link -> where unlinking moves it
    std::string failing_listing;              // folder whose listing breaks off
    std::map<HANDLE, std::string> searches;   // open search -> its folder
} g_fakes;

std::string folder_of(const std::string &pattern)
{
    return pattern.substr(0, pattern.rfind('\\'));
}

void mark_link(const std::string &folder, WIN32_FIND_DATAA *entry)
{
    if (g_fakes.links.count(folder + "\\" + entry->cFileName) != 0) {
        entry->dwFileAttributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    }
}

} // namespace

BOOL WINAPI fake_CreateProcessA(LPCSTR application, LPSTR command_line,
                                LPSECURITY_ATTRIBUTES process_attributes,
                                LPSECURITY_ATTRIBUTES thread_attributes, BOOL inherit_handles,
                                DWORD creation_flags, LPVOID environment, LPCSTR current_directory,
                                LPSTARTUPINFOA startup, LPPROCESS_INFORMATION process)
{
    if (!g_fakes.refuse_processes) {
        return CreateProcessA(application, command_line, process_attributes, thread_attributes,
                              inherit_handles, creation_flags, environment, current_directory,
                              startup, process);
    }
    STARTUPINFOA plain;
    memset(&plain, 0, sizeof plain);
    plain.cb = sizeof plain;
    g_fakes.processes.push_back(
        {application ? application : "(none)", command_line, inherit_handles, creation_flags,
         memcmp(startup, &plain, sizeof plain) == 0 && process_attributes == nullptr &&
             thread_attributes == nullptr && environment == nullptr &&
             current_directory == nullptr});
    g_fakes.events.push_back(std::string("process ") + command_line);
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
}

void WINAPI fake_Sleep(DWORD milliseconds)
{
    g_fakes.events.push_back("sleep " + std::to_string(milliseconds));
    Sleep(milliseconds);
}

HANDLE WINAPI fake_FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA entry)
{
    g_fakes.events.push_back(std::string("search ") + pattern);
    HANDLE search = FindFirstFileA(pattern, entry);
    DWORD error = GetLastError();
    if (search != INVALID_HANDLE_VALUE) {
        g_fakes.searches[search] = folder_of(pattern);
        mark_link(folder_of(pattern), entry);
    }
    SetLastError(error);
    return search;
}

BOOL WINAPI fake_FindNextFileA(HANDLE search, LPWIN32_FIND_DATAA entry)
{
    std::string folder = g_fakes.searches[search];
    if (folder == g_fakes.failing_listing) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    BOOL found = FindNextFileA(search, entry);
    DWORD error = GetLastError();
    if (found) {
        mark_link(folder, entry);
    }
    SetLastError(error);
    return found;
}

BOOL WINAPI fake_FindClose(HANDLE search)
{
    g_fakes.searches.erase(search);
    return FindClose(search);
}

DWORD WINAPI fake_GetFileAttributesA(LPCSTR path)
{
    DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && g_fakes.links.count(path) != 0) {
        attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    }
    return attributes;
}

// Unlinking takes the link's name out of the tree; what it pointed to,
// here the stand-in folder's content, is kept whole elsewhere.
BOOL WINAPI fake_RemoveDirectoryA(LPCSTR path)
{
    auto link = g_fakes.links.find(path);
    if (link != g_fakes.links.end()) {
        return MoveFileA(path, link->second.c_str());
    }
    return RemoveDirectoryA(path);
}

namespace
{

using registration_test::log_capture;
using registration_test::windows_path;

// Creates entries under root: a name ending in "\" is a folder.
void make_entries(const std::string &root, const std::vector<std::string> &entries)
{
    CreateDirectoryA(root.c_str(), nullptr);
    for (const std::string &entry : entries) {
        std::string path = root + "\\" + entry;
        if (!entry.empty() && entry.back() == '\\') {
            ASSERT_TRUE(CreateDirectoryA(path.substr(0, path.size() - 1).c_str(), nullptr)) << path;
        } else {
            ASSERT_TRUE(test_files::write_bytes(path, "x")) << path;
        }
    }
}

std::string replace_root(std::string text, const std::string &root)
{
    size_t at = text.find("<root>");
    if (at != std::string::npos) {
        text.replace(at, 6, root);
    }
    return text;
}

class CleanupTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        g_fakes = cleanup_fakes();
        scratch = test_files::make_scratch_dir("cleanup");
        log = new log_capture(scratch);
        root = scratch + "\\tree";
    }
    void TearDown() override
    {
        delete log;
        g_fakes = cleanup_fakes();
        test_files::delete_tree(scratch);
    }
    bool searched(const std::string &folder) const
    {
        for (const std::string &event : g_fakes.events) {
            if (event == "search " + folder + "\\*.*") {
                return true;
            }
        }
        return false;
    }
    std::string scratch;
    std::string root;
    log_capture *log = nullptr;
};

TEST_F(CleanupTest, RunCommandWaitsForTheChildAndIgnoresItsExitCode)
{
    std::string child = windows_path(QV_CHILD_PROGRAM);
    std::string marker = scratch + "\\marker.txt";
    std::string command_line = "child_program " + marker + " 7";
    EXPECT_EQ(0, run_command(child.c_str(), command_line.c_str()));
    // The child writes its marker only after a pause: it is there, so the
    // call waited, and the command line reached it as given.
    EXPECT_TRUE(test_files::exists(marker));
    EXPECT_TRUE(log->messages().empty());
}

TEST_F(CleanupTest, RunCommandThatCannotStartLogsAndFails)
{
    struct {
        std::string program;
        std::string command_line;
    } cases[] = {
        {scratch + "\\missing.exe", "missing"},
        // A line that does not fit the copy is refused before anything starts.
        {windows_path(QV_CHILD_PROGRAM),
         "child_program " + scratch + "\\marker.txt 0 " + std::string(260, 'x')},
    };
    for (const auto &one : cases) {
        log->clear();
        EXPECT_EQ(-1, run_command(one.program.c_str(), one.command_line.c_str())) << one.program;
        EXPECT_EQ(std::vector<std::string>{"Create the child process failed.\r\n"},
                  log->messages());
    }
    EXPECT_FALSE(test_files::exists(scratch + "\\marker.txt"));
}

TEST_F(CleanupTest, StartsTheToolsFromTheSystemDirectoryThenPausesAndRemovesTheFolder)
{
    g_fakes.refuse_processes = true;
    make_entries(root, {"a\\", "a\\b\\", "a\\b\\old.dll", "install_log.txt"});

    cleanup_earlier_installation(root.c_str());

    char system_dir[MAX_PATH];
    ASSERT_NE(0u, GetSystemDirectoryA(system_dir, MAX_PATH));
    std::string taskkill = std::string(system_dir) + "\\taskkill.exe";
    std::string sc = std::string(system_dir) + "\\sc.exe";
    const process_call expected[] = {
        {taskkill, "TASKKILL /F /IM Disc_eject.exe /T"},
        {sc, "sc stop Disc_eject >nul"},
        {sc, "sc delete Disc_eject >nul"},
        {taskkill, "TASKKILL /F /IM Vodorodeveroz.exe /T"},
        {sc, "sc stop Vodorodeveroz >nul"},
        {sc, "sc delete Vodorodeveroz >nul"},
    };
    ASSERT_EQ(6u, g_fakes.processes.size());
    for (size_t i = 0; i < 6; ++i) {
        const process_call &call = g_fakes.processes[i];
        EXPECT_EQ(expected[i].application, call.application);
        EXPECT_EQ(expected[i].command_line, call.command_line);
        EXPECT_TRUE(call.inherit_handles);
        EXPECT_EQ(0x08000020u, call.creation_flags);
        EXPECT_TRUE(call.plain_startup);
    }
    ASSERT_GE(g_fakes.events.size(), 8u);
    EXPECT_EQ("sleep 100", g_fakes.events[6]);
    EXPECT_EQ("search " + root + "\\*.*", g_fakes.events[7]);

    EXPECT_FALSE(test_files::exists(root));
    EXPECT_EQ(std::vector<std::string>(6, "Create the child process failed.\r\n"), log->messages());
}

struct tree_case {
    const char *name;
    std::vector<std::string> entries;   // created under the root
    std::vector<std::string> read_only; // files among them made read-only
    std::string failing_listing;        // folder (under the root) whose listing breaks off
    std::vector<std::string> remaining; // still there afterwards; none: the root is gone
    std::vector<std::string> gone;      // removed
    std::vector<std::string> messages;  // log lines; "<root>" stands for the root
};

TEST_F(CleanupTest, RemoveTreeOnFixtureTrees)
{
    const tree_case cases[] = {
        {"nested folders",
         {"a\\", "a\\b\\", "a\\b\\c\\", "a\\b\\c\\deep.txt", "a\\one.txt", "two.txt", "empty\\"},
         {},
         "",
         {},
         {},
         {}},
        {"dot-named entries stay, and every folder up the chain",
         {"a\\", "a\\b\\", "a\\b\\.keep", "a\\gone.txt", ".config\\", ".config\\inside.txt", "c\\",
          "c\\gone.txt"},
         {},
         "",
         {"a\\b\\.keep", ".config\\inside.txt"},
         {"a\\gone.txt", "c"},
         {"delete directory path=<root>\\a\\b error=145\r\n",
          "delete directory path=<root>\\a error=145\r\n",
          "delete directory path=<root> error=145\r\n"}},
        {"a read-only file stays",
         {"sub\\", "sub\\ro.txt", "sub\\plain.txt"},
         {"sub\\ro.txt"},
         "",
         {"sub\\ro.txt"},
         {"sub\\plain.txt"},
         {"delete directory path=<root>\\sub error=145\r\n",
          "delete directory path=<root> error=145\r\n"}},
        {"a listing that breaks off leaves its folder",
         {"a\\", "a\\kept.txt"},
         {},
         "a",
         {"a\\kept.txt"},
         {},
         {"Couldn't find next file.\r\n", "delete directory path=<root> error=145\r\n"}},
    };
    for (const tree_case &one : cases) {
        SCOPED_TRACE(one.name);
        g_fakes = cleanup_fakes();
        log->clear();
        make_entries(root, one.entries);
        for (const std::string &file : one.read_only) {
            SetFileAttributesA((root + "\\" + file).c_str(), FILE_ATTRIBUTE_READONLY);
        }
        if (!one.failing_listing.empty()) {
            g_fakes.failing_listing = root + "\\" + one.failing_listing;
        }

        remove_tree(root.c_str());

        EXPECT_EQ(one.remaining.empty(), !test_files::exists(root));
        for (const std::string &entry : one.remaining) {
            EXPECT_TRUE(test_files::exists(root + "\\" + entry)) << entry;
        }
        for (const std::string &entry : one.gone) {
            EXPECT_FALSE(test_files::exists(root + "\\" + entry)) << entry;
        }
        EXPECT_FALSE(searched(root + "\\.config"));
        std::vector<std::string> expected;
        for (const std::string &message : one.messages) {
            expected.push_back(replace_root(message, root));
        }
        EXPECT_EQ(expected, log->messages());
        test_files::delete_tree(root);
    }
}

TEST_F(CleanupTest, RemoveTreeOfAMissingFolderFindsNothing)
{
    remove_tree(root.c_str());
    EXPECT_EQ(std::vector<std::string>{"No files found.\r\n"}, log->messages());
}

TEST_F(CleanupTest, LinksAreUnlinkedNeverEntered)
{
    // "link" stands for a junction to a folder outside the tree.
    make_entries(root, {"link\\", "link\\target.txt", "sub\\", "sub\\file.txt"});
    std::string unlinked = scratch + "\\link_target";
    g_fakes.links[root + "\\link"] = unlinked;

    remove_tree(root.c_str());

    EXPECT_FALSE(test_files::exists(root));
    EXPECT_FALSE(searched(root + "\\link"));
    EXPECT_TRUE(test_files::exists(unlinked + "\\target.txt"));
    EXPECT_TRUE(log->messages().empty());
}

TEST_F(CleanupTest, AFolderThatIsItselfALinkIsOnlyUnlinked)
{
    make_entries(root, {"target.txt"});
    std::string unlinked = scratch + "\\root_target";
    g_fakes.links[root] = unlinked;

    remove_tree(root.c_str());

    EXPECT_FALSE(test_files::exists(root));
    EXPECT_FALSE(searched(root));
    EXPECT_TRUE(test_files::exists(unlinked + "\\target.txt"));
}

std::wstring long_form(const std::string &path)
{
    return L"\\\\?\\" + std::wstring(path.begin(), path.end());
}

TEST_F(CleanupTest, EntriesWhosePathWouldNotFitAreSkipped)
{
    make_entries(root, {"plain.txt"});
    // root "\" name is 260 characters: one more than a path buffer holds.
    std::string long_file(259 - root.size(), 'f');
    // root "\" name is 257 characters: it fits, its "\*.*" pattern does not.
    std::string long_folder(256 - root.size(), 'd');
    ASSERT_EQ(260u, (root + "\\" + long_file).size());
    HANDLE file = CreateFileW(long_form(root + "\\" + long_file).c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_NEW, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    CloseHandle(file);
    ASSERT_TRUE(CreateDirectoryW(long_form(root + "\\" + long_folder).c_str(), nullptr));

    remove_tree(root.c_str());

    EXPECT_FALSE(test_files::exists(root + "\\plain.txt"));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES,
              GetFileAttributesW(long_form(root + "\\" + long_file).c_str()));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES,
              GetFileAttributesW(long_form(root + "\\" + long_folder).c_str()));
    // The two skips come in listing order; the root's line comes last.
    std::vector<std::string> messages = log->messages();
    DeleteFileW(long_form(root + "\\" + long_file).c_str());
    RemoveDirectoryW(long_form(root + "\\" + long_folder).c_str());
    ASSERT_EQ(3u, messages.size());
    std::multiset<std::string> skips(messages.begin(), messages.end() - 1);
    std::multiset<std::string> expected_skips = {
        "path too long, skipped path=" + root + "\\" + long_file + "\r\n",
        "path too long, skipped path=" + root + "\\" + long_folder + "\\*.*\r\n"};
    EXPECT_EQ(expected_skips, skips);
    EXPECT_EQ("delete directory path=" + root + " error=145\r\n", messages.back());
}

} // namespace
