#include "driver/driver_staging.h"

int install_driver(install_context *context)
{
    (void)context;
    return -1;
}
