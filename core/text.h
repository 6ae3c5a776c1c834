// Bounded text composition for the installer's fixed buffers.
#pragma once

#include <stddef.h>

// Copies source into target (capacity bytes, terminator included).
// Returns 0 when it fits; -1 when it does not, leaving target empty.
int text_copy(char *target, size_t capacity, const char *source);

// Appends source to the text in target. Returns 0 when it fits; -1 when it
// does not, leaving target as it was.
int text_append(char *target, size_t capacity, const char *source);

// target (MAX_PATH bytes) = folder "\" name. Returns 0 when it fits; -1
// when it does not, leaving target unusable.
int text_join_path(char *target, const char *folder, const char *name);
