// The companion's side of the handshake with the installer.
#pragma once

#include <windows.h>

// Opens "Global\QUorProcMsg" (it may not exist yet), waits for the request
// in word 0 and answers it in word 1. Gives up when stop_event is set or
// when two minutes have passed, measured as time, not as a count of polls.
void acknowledge_request(HANDLE stop_event);
