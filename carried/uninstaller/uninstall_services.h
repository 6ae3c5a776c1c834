// Removal of the two companion services through the service control
// manager.
#pragma once

#include <windows.h>

// Stops and deletes "Vodorodeveroz" and "Disc_eject". A service that is not
// installed is no error. 0 when both are gone, -1 otherwise.
int remove_companion_services();

// Stops the service, waiting a bounded time for it and its process to end,
// and deletes it. 0 when it is gone or was never there, -1 otherwise.
int remove_service(SC_HANDLE manager, const char *name);
