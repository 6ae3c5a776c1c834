#include "payload/cabinet_expansion.h"

int extract_payload(install_context *context)
{
    (void)context;
    return -1;
}
