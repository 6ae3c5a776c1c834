// Expansion of the embedded payload through the platform's INF installer:
// each pair's cabinet and setup script are written to the temp directory,
// the script's section "Install" copies the members into place, and the
// copy of the driver INF is captured into the install context.
#pragma once

#include "core/install_context.h"

#include <windows.h>

// Expands the common pair, then the driver pair for the system type.
// 0 on success, -1 on the first failure.
int extract_payload(install_context *context);

// Writes one pair to "cab_file.cab" and "setup.txt" in the temp directory,
// installs the script and deletes both files again. 0 or -1.
int expand_cabinet(install_context *context, const unsigned char *cabinet, int cabinet_length,
                   const unsigned char *script, int script_length);

// Creates (or truncates) path and writes exactly count bytes. 0 or -1.
int write_blob_file(const char *path, const unsigned char *bytes, int count);

// Opens the script as an INF, binds directory ID 32768 to the install
// directory and installs the section "Install". 0 or -1.
int install_setup_script(install_context *context, const char *script_path);

// The file queue's callback (the install context is its context): logs each
// notification, captures the driver INF's target path and answers.
UINT CALLBACK file_queue_callback(PVOID context, UINT notification, UINT_PTR param1,
                                  UINT_PTR param2);
