#include "carried/uninstaller/uninstall_names.h"

#include <string.h>

namespace
{

char fold(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The first length bytes of a and b are equal; neither may be shorter.
bool prefix_equal(const char *a, const char *b, size_t length)
{
    for (size_t i = 0; i < length; ++i) {
        if (a[i] == '\0' || b[i] == '\0' || fold(a[i]) != fold(b[i])) {
            return false;
        }
    }
    return true;
}

} // namespace

bool names_equal(const char *a, const char *b)
{
    size_t length = strlen(a);
    return strlen(b) == length && prefix_equal(a, b, length);
}

bool path_is_inside(const char *path, const char *folder)
{
    size_t length = strlen(folder);
    return length > 0 && prefix_equal(path, folder, length) && path[length] == '\\' &&
           path[length + 1] != '\0';
}
