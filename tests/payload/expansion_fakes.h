// Force-included into the expansion's product sources in its test: the
// calls below go to the test's substitutes, which pass through to the real
// ones unless a test arms a failure. The pause is recorded, never run.
#pragma once

#include <windows.h>

#include <setupapi.h>
#include <stdio.h>
#include <stdlib.h>

int fake_system(const char *command);
size_t fake_fwrite(const void *data, size_t size, size_t count, FILE *stream);
int fake_fclose(FILE *stream);
BOOL WINAPI fake_SetupSetDirectoryIdA(HINF inf, DWORD id, PCSTR directory);
void WINAPI fake_SetupCloseInfFile(HINF inf);

#define system fake_system
#define fwrite fake_fwrite
#define fclose fake_fclose
#define SetupSetDirectoryIdA fake_SetupSetDirectoryIdA
#define SetupCloseInfFile fake_SetupCloseInfFile
