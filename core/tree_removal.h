// Removal of a folder tree that never follows a link.
#pragma once

// Deletes the folder and everything in it, as far as it can. Links are
// removed, never followed; entries whose path would not fit are left.
void remove_tree(const char *path);
