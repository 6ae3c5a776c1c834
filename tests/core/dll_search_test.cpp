// The DLL search restriction on systems with and without
// SetDefaultDllDirectories, and loads from the system folder only.
#include "core/dll_search.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

struct dll_search_fakes {
    bool has_default_directories = true; // Windows 7 with KB2533623 and later
    bool search_flags_known = true;
    std::vector<std::string> calls;
};
dll_search_fakes g_fakes;

BOOL WINAPI recorded_SetDefaultDllDirectories(DWORD flags)
{
    g_fakes.calls.push_back("SetDefaultDllDirectories " + std::to_string(flags));
    return TRUE;
}

std::string system_folder()
{
    char folder[MAX_PATH];
    GetSystemDirectoryA(folder, sizeof folder);
    return folder;
}

} // namespace

FARPROC WINAPI fake_GetProcAddress(HMODULE module, LPCSTR name)
{
    if (std::string(name) == "SetDefaultDllDirectories") {
        EXPECT_EQ(GetModuleHandleA("kernel32.dll"), module);
        return g_fakes.has_default_directories ? reinterpret_cast<FARPROC>(reinterpret_cast<void *>(
                                                     recorded_SetDefaultDllDirectories))
                                               : nullptr;
    }
    return GetProcAddress(module, name);
}

BOOL WINAPI fake_SetDllDirectoryA(LPCSTR folder)
{
    g_fakes.calls.push_back(std::string("SetDllDirectoryA '") + (folder ? folder : "(null)") + "'");
    return TRUE;
}

HMODULE WINAPI fake_LoadLibraryExA(LPCSTR name, HANDLE file, DWORD flags)
{
    g_fakes.calls.push_back(std::string("LoadLibraryExA ") + name + " " + std::to_string(flags));
    if (!g_fakes.search_flags_known && (flags & 0x800) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return LoadLibraryExA(name, file, flags);
}

TEST(DllSearch, RestrictsTheSearchToTheSystemFolder)
{
    struct row {
        const char *name;
        bool has_default_directories;
        std::vector<std::string> calls;
    };
    const row rows[] = {
        {"with SetDefaultDllDirectories", true, {"SetDefaultDllDirectories 2048"}},
        // Windows 7 without the update: the current folder leaves the search.
        {"without it", false, {"SetDllDirectoryA ''"}},
    };
    for (const row &r : rows) {
        SCOPED_TRACE(r.name);
        g_fakes = dll_search_fakes();
        g_fakes.has_default_directories = r.has_default_directories;
        EXPECT_EQ(0, restrict_dll_search());
        EXPECT_EQ(r.calls, g_fakes.calls);
    }
}

TEST(DllSearch, LoadsFromTheSystemFolderOnly)
{
    g_fakes = dll_search_fakes();
    HMODULE library = load_system_library("comctl32.dll");
    EXPECT_NE(nullptr, library);
    EXPECT_EQ(std::vector<std::string>({"LoadLibraryExA comctl32.dll 2048"}), g_fakes.calls);

    // Without the search flags: by full path in the system folder.
    g_fakes = dll_search_fakes();
    g_fakes.search_flags_known = false;
    library = load_system_library("comctl32.dll");
    EXPECT_NE(nullptr, library);
    EXPECT_EQ(std::vector<std::string>({"LoadLibraryExA comctl32.dll 2048",
                                        "LoadLibraryExA " + system_folder() + "\\comctl32.dll " +
                                            std::to_string(LOAD_WITH_ALTERED_SEARCH_PATH)}),
              g_fakes.calls);
}
