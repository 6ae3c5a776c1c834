// The installation sequence, run on the worker thread.
#pragma once

#include <windows.h>

// Thread routine: runs every step in order, raising the progress target of
// the progress window record (the parameter) before each group.
DWORD WINAPI install_worker(LPVOID parameter);
