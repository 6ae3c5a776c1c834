// Re-enumeration of the device tree from its root, with a disable and
// enable of the root node when the platform refuses to re-enumerate.
#pragma once

#include <windows.h>

#include <cfgmgr32.h>

// 0 when the tree was re-enumerated (directly or through the fallback),
// -1 otherwise.
int reenumerate_devices();

// Disables node and waits until it has stopped: 1 when it is not started
// (already or after the disable), 0 otherwise.
int disable_devnode(DEVINST node);

// Enables node and waits until it has started without a problem: 1 when it
// did, 0 otherwise.
int enable_devnode(DEVINST node);
