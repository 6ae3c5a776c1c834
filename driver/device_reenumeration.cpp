#include "driver/device_reenumeration.h"

#include "core/install_log.h"

namespace
{

const DWORD poll_pause_ms = 500;
const int disable_polls = 10;
const int enable_polls = 20;
const DWORD pause_between_ms = 2000;
const ULONG started_bit = DN_STARTED;

} // namespace

int reenumerate_devices()
{
    DEVINST node = 0;
    CONFIGRET result = CM_Locate_DevNodeA(&node, nullptr, CM_LOCATE_DEVNODE_PHANTOM);
    if (result != CR_SUCCESS) {
        log_message("CM_Locate_DevNode failed: %x\n", result);
        return -1;
    }
    result = CM_Reenumerate_DevNode(node,
                                    CM_REENUMERATE_SYNCHRONOUS | CM_REENUMERATE_RETRY_INSTALLATION);
    if (result == CR_SUCCESS) {
        return 0;
    }
    log_message("CM_Reenumerate_DevNode failed: %x\n", result);

    if (disable_devnode(node) == 0) {
        log_message("DisableDevice failed\n");
        return -1;
    }
    Sleep(pause_between_ms);
    if (enable_devnode(node) == 0) {
        log_message("EnableDevice failed\n");
        return -1;
    }
    return 0;
}

int disable_devnode(DEVINST node)
{
    ULONG status = 0;
    ULONG problem = 0;
    CONFIGRET result = CM_Get_DevNode_Status(&status, &problem, node, 0);
    if (result != CR_SUCCESS) {
        console_line_wide(L"Cannot get the device status (error: 0x%X)\n", result);
        return 0;
    }
    if ((status & started_bit) == 0) {
        console_line_wide(L"The device is already disabled, no need to disable it again\n");
        return 1;
    }
    result = CM_Disable_DevNode(node, 0);
    if (result != CR_SUCCESS) {
        console_line_wide(L"CM_Disable_DevNode failed (error: 0x%X)\n", result);
        return 0;
    }
    for (int poll = 0; poll < disable_polls; ++poll) {
        Sleep(poll_pause_ms);
        result = CM_Get_DevNode_Status(&status, &problem, node, 0);
        if (result != CR_SUCCESS) {
            console_line_wide(L"Reading the device status failed (error: 0x%X)\n", result);
            return 0;
        }
        if ((status & started_bit) == 0) {
            console_line_wide(L"The device was disabled successfully\n");
            return 1;
        }
    }
    console_line_wide(L"Disabling the device timed out\n");
    return 0;
}

int enable_devnode(DEVINST node)
{
    ULONG status = 0;
    ULONG problem = 0;
    CONFIGRET result = CM_Enable_DevNode(node, 0);
    if (result != CR_SUCCESS) {
        console_line_wide(L"CM_Enable_DevNode failed (error: 0x%X)\n", result);
        return 0;
    }
    for (int poll = 0; poll < enable_polls; ++poll) {
        Sleep(poll_pause_ms);
        result = CM_Get_DevNode_Status(&status, &problem, node, 0);
        if (result != CR_SUCCESS) {
            console_line_wide(L"Reading the device status failed (error: 0x%X)\n", result);
            return 0;
        }
        // A started node that reports a problem has not taken its driver.
        if ((status & started_bit) != 0 && problem == 0) {
            console_line_wide(L"The device was enabled successfully\n");
            return 1;
        }
    }
    console_line_wide(L"Enabling the device timed out (status: 0x%X, problem: %d)\n", status,
                      static_cast<int>(problem));
    return 0;
}
