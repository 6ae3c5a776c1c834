#include "ui/progress_window.h"

#include "core/dll_search.h"

#include <commctrl.h>
#include <stdio.h>
#include <string.h>

progress_window g_progress_window;

namespace
{

const char class_name[] = "MyWindows";
const char title_text[] = "RAVI6 VID 802.11OD Uvezaruz Adazizo";

const int percent_label_id = 1000;
const int progress_bar_id = 1001;
const int title_label_id = 1002;

const COLORREF white = 0xFFFFFF;
const COLORREF light_grey = 0xF0F0F0;
const COLORREF black = 0x000000;
const COLORREF bar_green = 0x4F9641;

const DWORD child_style = WS_CHILD | WS_VISIBLE;
const DWORD title_style = WS_CHILD | WS_VISIBLE | SS_CENTERIMAGE | SS_CENTER;

const int final_target = 120;

typedef BOOL(WINAPI *init_common_controls_routine)(const INITCOMMONCONTROLSEX *controls);

// The bar's class lives in the common-controls library; register it before
// the first bar is created instead of relying on someone else. The library
// is no KnownDLL, so it is loaded from the system folder by name, never
// imported: an import would be searched for beside the program first.
void register_progress_class()
{
    HMODULE library = load_system_library("comctl32.dll");
    FARPROC routine =
        library != nullptr ? GetProcAddress(library, "InitCommonControlsEx") : nullptr;
    if (routine == nullptr) {
        // Without the class the bar is not created; the rest of the window
        // and the installation go on.
        return;
    }
    INITCOMMONCONTROLSEX controls;
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_PROGRESS_CLASS;
    reinterpret_cast<init_common_controls_routine>(reinterpret_cast<void *>(routine))(&controls);
}

HWND create_child(const char *window_class, const char *text, DWORD style, int x, int y, int width,
                  int height, HWND parent, int id, HINSTANCE instance)
{
    return CreateWindowExA(0, window_class, text, style, x, y, width, height, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
}

} // namespace

void create_progress_window(progress_window *window, HINSTANCE instance)
{
    window->instance = instance;
    window->class_brush = CreateSolidBrush(white);

    register_progress_class();

    WNDCLASSA window_class;
    memset(&window_class, 0, sizeof window_class);
    window_class.style = CS_HREDRAW | CS_VREDRAW;
    window_class.lpfnWndProc = progress_window_proc;
    window_class.hInstance = window->instance;
    window_class.hIcon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));
    window_class.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    window_class.hbrBackground = window->class_brush;
    window_class.lpszClassName = class_name;
    if (RegisterClassA(&window_class) == 0) {
        MessageBoxA(nullptr, "register class failed", class_name, MB_ICONERROR);
        return;
    }

    window->main_window = CreateWindowExA(0, class_name, nullptr, WS_POPUP, 320, 180, 350, 200,
                                          nullptr, nullptr, instance, nullptr);
    window->progress_target = 0;
    window->percent_label = create_child("Static", "0%", child_style, 300, 170, 35, 20,
                                         window->main_window, percent_label_id, instance);
    window->progress_bar = create_child(PROGRESS_CLASSA, nullptr, child_style, 20, 170, 280, 20,
                                        window->main_window, progress_bar_id, instance);
    window->percent_brush = CreateSolidBrush(white);
    window->title_label = create_child("static", title_text, title_style, 0, 0, 350, 150,
                                       window->main_window, title_label_id, instance);
    window->title_brush = CreateSolidBrush(light_grey);
}

LRESULT CALLBACK progress_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wparam);
        HWND control = reinterpret_cast<HWND>(lparam);
        if (control == g_progress_window.title_label) {
            SetTextColor(dc, black);
            SetBkColor(dc, light_grey);
            return reinterpret_cast<LRESULT>(g_progress_window.title_brush);
        }
        if (control == g_progress_window.percent_label) {
            SetTextColor(dc, black);
            SetBkColor(dc, white);
            return reinterpret_cast<LRESULT>(g_progress_window.percent_brush);
        }
        return 0;
    }
    default:
        return DefWindowProcA(window, message, wparam, lparam);
    }
}

DWORD WINAPI progress_animator(LPVOID parameter)
{
    progress_window *window = static_cast<progress_window *>(parameter);

    SendMessageA(window->progress_bar, PBM_SETBARCOLOR, 0, bar_green);
    SendMessageA(window->progress_bar, PBM_SETBKCOLOR, 0, white);
    SendMessageA(window->progress_bar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    ShowWindow(window->progress_bar, SW_SHOW);
    ShowWindow(window->title_label, SW_SHOW);
    ShowWindow(window->percent_label, SW_SHOW);

    for (int percent = 0; percent <= 100; ++percent) {
        // The bar never runs ahead of the sequence.
        while (percent > window->progress_target) {
            Sleep(10);
        }
        char text[64];
        memset(text, 0, sizeof text);
        SendMessageA(window->progress_bar, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
        snprintf(text, sizeof text, "%3d%%", percent);
        SetDlgItemTextA(window->main_window, percent_label_id, text);
        Sleep(2);
    }

    while (window->progress_target != final_target) {
        Sleep(10);
    }
    SendMessageA(window->main_window, WM_DESTROY, 0, 0);
    return 0;
}
