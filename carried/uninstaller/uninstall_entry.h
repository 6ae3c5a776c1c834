// Deletion of the installed-programs entry that the installer wrote.
#pragma once

// Deletes the key "...\Uninstall\QUORVANTA4780" (under WOW6432Node on
// 64-bit Windows, as the installer wrote it). A missing key is no error.
// 0 when it is gone, -1 otherwise.
int delete_uninstall_entry();
