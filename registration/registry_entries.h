// The connection policy value and the uninstall entry.
#pragma once

// Writes the connection-manager policy. 0 or a platform status; -1 when
// the key cannot be opened.
int set_connection_policy();

// Writes the installed-programs entry, every value even after a failed
// one. 0, or the platform status of the first failed write; -1 when the
// key cannot be opened.
int write_uninstall_entry();
