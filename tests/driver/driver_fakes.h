// Substitutes for the driver store copy, the pauses and the Configuration
// Manager calls, which Wine cannot show (its CM_Disable_DevNode and
// CM_Enable_DevNode end the process). Each call is recorded as an event,
// in order, and answers from a script.
#pragma once

#include <windows.h>

#include <cfgmgr32.h>
#include <setupapi.h>

#include <deque>
#include <string>
#include <vector>

struct device_status {
    CONFIGRET result;
    ULONG status;
    ULONG problem;
};

struct driver_fakes {
    std::vector<std::string> events;

    // SetupCopyOEMInfA: 0 publishes, anything else fails with that error.
    std::deque<DWORD> copy_errors;
    std::vector<std::string> copy_sources;

    CONFIGRET locate_result;
    DEVINST root_node;
    CONFIGRET reenumerate_result;
    CONFIGRET disable_result;
    CONFIGRET enable_result;
    std::deque<device_status> statuses;

    void reset();
};

extern driver_fakes g_fakes;

BOOL WINAPI fake_SetupCopyOEMInfA(PCSTR source, PCSTR media_location, DWORD media_type,
                                  DWORD copy_style, PSTR destination, DWORD destination_size,
                                  PDWORD required_size, PSTR *destination_component);
void WINAPI fake_Sleep(DWORD milliseconds);
CONFIGRET WINAPI fake_CM_Locate_DevNodeA(PDEVINST node, DEVINSTID_A device_id, ULONG flags);
CONFIGRET WINAPI fake_CM_Reenumerate_DevNode(DEVINST node, ULONG flags);
CONFIGRET WINAPI fake_CM_Get_DevNode_Status(PULONG status, PULONG problem, DEVINST node,
                                            ULONG flags);
CONFIGRET WINAPI fake_CM_Disable_DevNode(DEVINST node, ULONG flags);
CONFIGRET WINAPI fake_CM_Enable_DevNode(DEVINST node, ULONG flags);
