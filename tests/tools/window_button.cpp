// Finds a button in a top-level window and prints where a person would
// click it, in screen pixels, so that a scenario can click it for real
// (xdotool) under the bench's X display.
// Usage: window_button CAPTION BUTTON_TEXT [SECONDS]
// Prints "X Y STYLE" (the window's style in hex) and exits 0 when found;
// exits 1 when the window or button did not appear within SECONDS (10).
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace
{

struct button_search {
    const char *text;
    HWND found;
};

BOOL CALLBACK match_button(HWND child, LPARAM parameter)
{
    button_search *search = reinterpret_cast<button_search *>(parameter);
    char class_name[64] = "";
    char text[128] = "";
    GetClassNameA(child, class_name, sizeof class_name);
    GetWindowTextA(child, text, sizeof text);
    if (_stricmp(class_name, "Button") == 0 && strcmp(text, search->text) == 0) {
        search->found = child;
        return FALSE;
    }
    return TRUE;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: window_button CAPTION BUTTON_TEXT [SECONDS]\n");
        return 2;
    }
    int seconds = argc > 3 ? atoi(argv[3]) : 10;
    for (int tries = 0; tries < seconds * 10; ++tries) {
        HWND window = FindWindowA(nullptr, argv[1]);
        if (window != nullptr && IsWindowVisible(window)) {
            button_search search = {argv[2], nullptr};
            EnumChildWindows(window, match_button, reinterpret_cast<LPARAM>(&search));
            RECT box;
            if (search.found != nullptr && GetWindowRect(search.found, &box)) {
                printf("%ld %ld %lx\n", (box.left + box.right) / 2, (box.top + box.bottom) / 2,
                       static_cast<unsigned long>(GetWindowLongA(window, GWL_STYLE)));
                return 0;
            }
        }
        Sleep(100);
    }
    fprintf(stderr, "window_button: no button [%s] in a window [%s]\n", argv[2], argv[1]);
    return 1;
}
