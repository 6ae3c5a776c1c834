// The substitutes named in expansion_fakes.h and their controls.
#include "expansion_fakes_control.h"

#include <windows.h>

#include <setupapi.h>
#include <stdio.h>
#include <stdlib.h>

expansion_fakes g_fakes;

void reset_fakes()
{
    g_fakes = expansion_fakes();
}

int fake_system(const char *command)
{
    g_fakes.journal.push_back(std::string("system ") + command);
    return 0;
}

UINT WINAPI fake_WinExec(LPCSTR command, UINT show)
{
    (void)show;
    g_fakes.journal.push_back(std::string("start ") + command);
    return 0;
}

BOOL WINAPI fake_CreateProcessA(LPCSTR application, LPSTR command, LPSECURITY_ATTRIBUTES process,
                                LPSECURITY_ATTRIBUTES thread, BOOL inherit, DWORD flags,
                                LPVOID environment, LPCSTR folder, LPSTARTUPINFOA startup,
                                LPPROCESS_INFORMATION information)
{
    (void)process, (void)thread, (void)inherit, (void)flags, (void)environment, (void)folder,
        (void)startup, (void)information;
    g_fakes.journal.push_back(std::string("start ") + (application ? application : "") + " " +
                              (command ? command : ""));
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

DWORD WINAPI fake_WaitForSingleObject(HANDLE object, DWORD milliseconds)
{
    (void)object;
    g_fakes.journal.push_back("wait " + std::to_string(milliseconds));
    return WAIT_FAILED;
}

void WINAPI fake_Sleep(DWORD milliseconds)
{
    g_fakes.journal.push_back("sleep " + std::to_string(milliseconds));
}

int fake_getchar()
{
    g_fakes.journal.push_back("read key");
    return EOF;
}

size_t fake_fwrite(const void *data, size_t size, size_t count, FILE *stream)
{
    if (g_fakes.fwrite_fails_at >= 0 && g_fakes.fwrite_calls++ == g_fakes.fwrite_fails_at) {
        return 0;
    }
    return fwrite(data, size, count, stream);
}

int fake_fclose(FILE *stream)
{
    int result = fclose(stream);
    return g_fakes.fclose_fails ? EOF : result;
}

BOOL WINAPI fake_SetupSetDirectoryIdA(HINF inf, DWORD id, PCSTR directory)
{
    if (g_fakes.directory_id_fails) {
        return FALSE;
    }
    return SetupSetDirectoryIdA(inf, id, directory);
}

void WINAPI fake_SetupCloseInfFile(HINF inf)
{
    g_fakes.journal.push_back("close inf");
    SetupCloseInfFile(inf);
}
