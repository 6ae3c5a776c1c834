// The borderless progress window and the animator that moves its bar.
#pragma once

#include <windows.h>

#include <atomic>

struct progress_window {
    HINSTANCE instance;
    HBRUSH class_brush;
    HWND main_window;
    HWND percent_label;
    HWND progress_bar;
    HBRUSH percent_brush;
    HWND title_label;
    HBRUSH title_brush;
    // Written by the worker only (10, 20, 40, 90, 99, 120), read afresh by
    // the animator at every test.
    std::atomic<int> progress_target;
};

extern progress_window g_progress_window;

// Registers the class and creates the window and its controls, hidden.
void create_progress_window(progress_window *window, HINSTANCE instance);

LRESULT CALLBACK progress_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Thread routine: follows the progress target, then ends the program.
DWORD WINAPI progress_animator(LPVOID parameter);
