// Staging of the driver package into the driver store.
#pragma once

#include "core/install_context.h"

// Stages inf_path and re-enumerates the devices. 0 on success, -1 otherwise.
int install_driver(install_context *context);

// Removes earlier packages, then publishes the INF at inf_path into the
// driver store, replacing an earlier copy of the same INF and retrying
// while the store refuses. 0 when published, -1 otherwise.
int stage_driver_package(const char *inf_path);
