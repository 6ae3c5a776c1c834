#include "core/dll_search.h"
#include "core/install_context.h"
#include "setup/context_init.h"
#include "setup/install_sequence.h"
#include "setup/single_instance.h"
#include "ui/progress_window.h"

#include <windows.h>

namespace
{

// Ends the run without a message loop, for when nothing could ever post
// the quit message: no window to destroy, or no animator to destroy it.
// Writing 120 is the worker's last act, so its end is the sequence's end.
int finish_without_window(HANDLE worker)
{
    if (worker != nullptr) {
        WaitForSingleObject(worker, INFINITE);
        CloseHandle(worker);
    } else {
        install_worker(&g_progress_window);
    }
    return 0;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous_instance, LPSTR command_line,
                   int show_command)
{
    (void)previous_instance;
    (void)command_line;

    // Before anything loads a DLL. There is no log yet; the run goes on
    // either way, with the imports' KnownDLLs only.
    restrict_dll_search();

    // A second installer would tear down the first one's services and log:
    // it leaves before it touches anything.
    if (another_installer_running()) {
        return 0;
    }

    create_progress_window(&g_progress_window, instance);
    init_install_context(&g_install_context);
    DeleteFileA(g_install_context.log_path);

    HANDLE worker = CreateThread(nullptr, 0, install_worker, &g_progress_window, 0, nullptr);
    HANDLE animator = CreateThread(nullptr, 0, progress_animator, &g_progress_window, 0, nullptr);

    if (g_progress_window.main_window == nullptr || animator == nullptr) {
        return finish_without_window(worker);
    }
    CloseHandle(animator);

    ShowWindow(g_progress_window.main_window, show_command);
    UpdateWindow(g_progress_window.main_window);

    // Without a worker thread the sequence runs here; the animator waits
    // for the main thread's messages meanwhile and catches up afterwards.
    if (worker == nullptr) {
        install_worker(&g_progress_window);
    } else {
        CloseHandle(worker);
    }

    MSG message;
    ZeroMemory(&message, sizeof message);
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
