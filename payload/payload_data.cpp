#include "payload/payload_data.h"

#include "payload/payload_arrays.h"

payload_pair common_payload_pair()
{
    payload_pair pair = {common_cabinet, common_cabinet_length, common_setup_script,
                         common_setup_script_length};
    return pair;
}

int driver_payload_pair(int sys_type, payload_pair *pair)
{
    payload_pair none = {nullptr, 0, nullptr, 0};
    *pair = none;
    switch (sys_type) {
    case 3: // Windows 6.x, 32-bit
        pair->cabinet = ndis620_x86_cabinet;
        pair->cabinet_length = ndis620_x86_cabinet_length;
        pair->script = win7_setup_script;
        pair->script_length = win7_setup_script_length;
        return 0;
    case 4: // Windows 6.x, 64-bit
        pair->cabinet = ndis620_x64_cabinet;
        pair->cabinet_length = ndis620_x64_cabinet_length;
        pair->script = win7_setup_script;
        pair->script_length = win7_setup_script_length;
        return 0;
    case 5: // Windows 10 and later, 32-bit
        pair->cabinet = ndis650_x86_cabinet;
        pair->cabinet_length = ndis650_x86_cabinet_length;
        pair->script = win10_setup_script;
        pair->script_length = win10_setup_script_length;
        return 0;
    case 6: // Windows 10 and later, 64-bit
        pair->cabinet = ndis650_x64_cabinet;
        pair->cabinet_length = ndis650_x64_cabinet_length;
        pair->script = win10_setup_script;
        pair->script_length = win10_setup_script_length;
        return 0;
    default:
        return -1;
    }
}
