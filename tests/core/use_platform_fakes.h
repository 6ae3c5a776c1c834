// Force-included into the product sources of the core tests.
#pragma once

#include "platform_fakes.h"

#define GetVersionExA fake_GetVersionExA
#define GetNativeSystemInfo fake_GetNativeSystemInfo
#define GetLocalTime fake_GetLocalTime
#define GetFileAttributesA fake_GetFileAttributesA
#define CreateDirectoryA fake_CreateDirectoryA
#define SetFileSecurityA fake_SetFileSecurityA
