#include "core/text.h"

#include <string.h>
#include <windows.h>

int text_copy(char *target, size_t capacity, const char *source)
{
    if (capacity == 0) {
        return -1;
    }
    size_t length = strlen(source);
    if (length >= capacity) {
        target[0] = '\0';
        return -1;
    }
    memcpy(target, source, length + 1);
    return 0;
}

int text_append(char *target, size_t capacity, const char *source)
{
    size_t used = strnlen(target, capacity);
    if (used >= capacity) {
        return -1;
    }
    size_t length = strlen(source);
    if (length >= capacity - used) {
        return -1;
    }
    memcpy(target + used, source, length + 1);
    return 0;
}

int text_join_path(char *target, const char *folder, const char *name)
{
    if (text_copy(target, MAX_PATH, folder) != 0 || text_append(target, MAX_PATH, "\\") != 0 ||
        text_append(target, MAX_PATH, name) != 0) {
        return -1;
    }
    return 0;
}
