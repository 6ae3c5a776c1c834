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
    switch (sys_type) {
    case 3: // Windows 6.x, 32-bit
        *pair = {ndis620_x86_cabinet, ndis620_x86_cabinet_length, win7_setup_script,
                 win7_setup_script_length};
        return 0;
    case 4: // Windows 6.x, 64-bit
        *pair = {ndis620_x64_cabinet, ndis620_x64_cabinet_length, win7_setup_script,
                 win7_setup_script_length};
        return 0;
    case 5: // Windows 10 and later, 32-bit
        *pair = {ndis650_x86_cabinet, ndis650_x86_cabinet_length, win10_setup_script,
                 win10_setup_script_length};
        return 0;
    case 6: // Windows 10 and later, 64-bit
        *pair = {ndis650_x64_cabinet, ndis650_x64_cabinet_length, win10_setup_script,
                 win10_setup_script_length};
        return 0;
    default:
        *pair = {nullptr, 0, nullptr, 0};
        return -1;
    }
}
