// Removal of the install folder, the running uninstaller included.
#pragma once

#include "core/install_context.h"

// Removes context->install_dir and everything in it, never following a
// link. When this program runs from inside the folder it first moves its
// own file to context->temp_dir and has it deleted at the next restart; if
// it cannot, its file and the folder are deleted at the next restart
// instead. A missing folder is no error. 0 when the folder is gone (and
// nothing was left in the temp folder), -1 otherwise.
int remove_install_folder(const install_context *context);
