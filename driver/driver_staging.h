// Staging of the driver package into the driver store.
#pragma once

#include "core/install_context.h"

// Stages inf_path and re-enumerates the devices. 0 on success, -1 otherwise.
int install_driver(install_context *context);
