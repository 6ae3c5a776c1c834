// Force-included into the uninstaller's sources for its answering variant:
// the confirmation box is answered without a window (see
// message_box_fake.cpp).
#pragma once

#include <windows.h>

int WINAPI fake_MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

#define MessageBoxA fake_MessageBoxA
