// Registration of the two companion services.
#pragma once

#include "core/install_context.h"

// Registers and starts "Vodorodeveroz". 0 when it exists or was started.
int register_usb_service(install_context *context);

// Registers and starts "Disc_eject". 0 when it exists or was started.
int register_eject_service(install_context *context);
