// The confirmation box of the answering uninstaller: reports the call on
// standard output for the scenario to check, and answers Yes when
// QV_MESSAGE_BOX_ANSWER is "yes", No otherwise.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int WINAPI fake_MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    const char *answer = getenv("QV_MESSAGE_BOX_ANSWER");
    bool yes = answer != nullptr && strcmp(answer, "yes") == 0;
    printf("MessageBoxA owner=%s type=0x%x caption=[%s] text=[%s] answer=%s\n",
           owner == nullptr ? "none" : "some", type, caption != nullptr ? caption : "",
           text != nullptr ? text : "", yes ? "yes" : "no");
    fflush(stdout);
    return yes ? IDYES : IDNO;
}
