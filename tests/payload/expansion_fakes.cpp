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
