// Where the programs take their DLLs from. They run elevated or as
// LocalSystem, often started from a folder that any user can write to, so
// no DLL may come from the program's folder, the current folder or PATH.
#pragma once

#include <windows.h>

// Restricts the DLL search of this process to the system folder. The first
// call of every program's entry, before anything loads a DLL. 0 when
// restricted; -1 when neither way is available.
int restrict_dll_search();

// Loads a DLL by name from the system folder only; null when it fails.
HMODULE load_system_library(const char *name);
