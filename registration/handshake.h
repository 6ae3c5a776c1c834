// The handshake region shared with the companion services.
#pragma once

#include <windows.h>

// Opens "Global\QUorProcMsg", or creates it (SYSTEM and Administrators
// only, read-write) and posts the request. Stores the handle, and the view
// when the region was created here.
void open_handshake(HANDLE *region, void **view);

// Waits up to about 2 s for the acknowledgement (only for a created region) and
// releases what open_handshake obtained.
void close_handshake(HANDLE region, void *view);
