// Removal of earlier packages of the adapter family from the driver store.
#pragma once

// Removes at most one published package per search key; logs what it
// removed and always ends with "Previous version are deleted".
void remove_old_driver_packages();

// Whether field 1 of a line in section of the INF at path begins with key
// (case-sensitive). 0 a line matched; -1 no line matched; -2 no full path;
// -3 not an INF; -4 no such section or no line in it.
int inf_version_has_prefix(const char *section, const char *key, const char *path);
