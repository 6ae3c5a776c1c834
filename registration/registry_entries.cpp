#include "registration/registry_entries.h"

int set_connection_policy()
{
    return -1;
}

int write_uninstall_entry()
{
    return -1;
}
