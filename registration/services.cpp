#include "registration/services.h"

int register_usb_service(install_context *context)
{
    (void)context;
    return -1;
}

int register_eject_service(install_context *context)
{
    (void)context;
    return -1;
}
