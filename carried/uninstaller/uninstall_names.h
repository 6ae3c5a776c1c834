// Comparison of file and folder names as the file system compares them:
// ASCII letters without regard to case, every other byte as it stands, and
// independent of the user's locale.
#pragma once

// True when the two names are equal.
bool names_equal(const char *a, const char *b);

// True when path lies inside folder: folder, a backslash and more.
bool path_is_inside(const char *path, const char *folder);
