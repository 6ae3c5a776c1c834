// Registration of the two companion services.
#pragma once

#include "core/install_context.h"

// Registers "Vodorodeveroz" (or sets an existing one up as if new) and
// starts it. 0 when started. A service still marked for deletion after
// about 10 s is logged and gives -1.
int register_usb_service(install_context *context);

// The same for "Disc_eject".
int register_eject_service(install_context *context);
