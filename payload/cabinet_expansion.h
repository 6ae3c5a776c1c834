// Expansion of the embedded payload through the platform's INF installer.
#pragma once

#include "core/install_context.h"

// Expands the common pair, then the driver pair for the system type.
int extract_payload(install_context *context);
