// The install context: the one record the whole installation shares, and
// the architecture test that chooses its folders.
#pragma once

#include <windows.h>

struct install_context {
    int sys_type;  // system type: 1..6, -1 unsupported, 0 not classified
    int cab_stage; // 0 while the common cabinet expands, 1 afterwards
    char log_path[MAX_PATH];
    char temp_dir[MAX_PATH];
    char program_files_dir[MAX_PATH];
    char install_dir[MAX_PATH];
    unsigned char inf_found; // the driver INF's path has been captured
    char inf_path[MAX_PATH];
};

extern install_context g_install_context;

// True on an AMD64 or IA64 machine: selects "Program Files (x86)".
bool is_64bit_os();

// True when path names an existing folder.
bool directory_exists(const char *path);
