// What the uninstaller test's substitutes do and what they record.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// One service of the scripted service control manager.
struct fake_service {
    std::string name;
    bool exists = true;
    DWORD open_error = 0;  // OpenServiceA fails with this
    DWORD query_error = 0; // QueryServiceStatus fails with this
    DWORD state = SERVICE_RUNNING;
    int start_pending_polls = 0; // queries that still report START_PENDING
    int stop_pending_polls = 0;  // queries in STOP_PENDING after a stop; -1 never stops
    DWORD control_error = 0;     // ControlService fails with this
    DWORD delete_error = 0;      // DeleteService fails with this

    int opens = 0;
    int closes = 0;
    int queries = 0;
    int controls = 0;
    int deletes = 0;
    int stop_pending_seen = 0;
};

struct moved_file {
    std::string existing;
    std::string target; // empty for a deletion at restart
    DWORD flags;
};

struct uninstaller_fakes {
    // Service control manager.
    bool refuse_manager = false;
    int manager_opens = 0;
    int manager_closes = 0;
    std::vector<fake_service> services;
    std::vector<std::string> service_order; // names in the order opened
    int sleeps = 0;

    // Driver store.
    std::string windows_dir; // empty: the real one
    UINT windows_dir_error = 0;
    int windows_dir_calls = 0;
    std::vector<std::string> refused_packages; // SetupUninstallOEMInfA fails for these
    std::vector<std::string> uninstalled;      // every name asked, refused or not
    std::vector<DWORD> uninstall_flags;

    // Registry.
    LONG delete_key_status = ERROR_SUCCESS;
    std::vector<std::string> deleted_keys;
    HKEY deleted_root = nullptr;

    // Architecture; 0xFFFF: the real one.
    WORD architecture = 0xFFFF;

    // Files.
    std::string module_path; // empty: the real one
    DWORD move_error = 0;    // plain moves fail with this
    bool refuse_scheduling = false;
    std::vector<moved_file> moves; // every call, plain or at restart
    std::string locked_file;       // DeleteFileA refuses it, as Windows does a running program

    void reset();
    fake_service *find(const std::string &name);
};

extern uninstaller_fakes g_fakes;
