#include "driver_fakes.h"

#include <gtest/gtest.h>

driver_fakes g_fakes;

namespace
{

// Every call gets the located root node; any other value is a fault.
const DEVINST scripted_root = 0x2a61;

void expect_root(DEVINST node)
{
    EXPECT_EQ(scripted_root, node) << "a node other than the located root";
}

} // namespace

void driver_fakes::reset()
{
    events.clear();
    copy_errors.clear();
    copy_sources.clear();
    locate_result = CR_SUCCESS;
    root_node = scripted_root;
    reenumerate_result = CR_SUCCESS;
    disable_result = CR_SUCCESS;
    enable_result = CR_SUCCESS;
    statuses.clear();
}

BOOL WINAPI fake_SetupCopyOEMInfA(PCSTR source, PCSTR media_location, DWORD media_type,
                                  DWORD copy_style, PSTR destination, DWORD destination_size,
                                  PDWORD required_size, PSTR *destination_component)
{
    EXPECT_EQ(nullptr, media_location);
    EXPECT_EQ(static_cast<DWORD>(SPOST_PATH), media_type);
    EXPECT_NE(nullptr, destination);
    EXPECT_EQ(static_cast<DWORD>(MAX_PATH), destination_size);
    EXPECT_EQ(nullptr, required_size);
    EXPECT_EQ(nullptr, destination_component);
    g_fakes.events.push_back(copy_style == SP_COPY_NOOVERWRITE ? "copy"
                             : copy_style == SP_COPY_REPLACEONLY
                                 ? "replace"
                                 : "copy style " + std::to_string(copy_style));
    g_fakes.copy_sources.push_back(source);
    if (g_fakes.copy_errors.empty()) {
        ADD_FAILURE() << "copy beyond the script";
        SetLastError(ERROR_GEN_FAILURE);
        return FALSE;
    }
    DWORD error = g_fakes.copy_errors.front();
    g_fakes.copy_errors.pop_front();
    if (error != 0) {
        SetLastError(error);
        return FALSE;
    }
    // The platform's answer; nothing should read it.
    destination[0] = '\0';
    return TRUE;
}

void WINAPI fake_Sleep(DWORD milliseconds)
{
    g_fakes.events.push_back("sleep " + std::to_string(milliseconds));
}

CONFIGRET WINAPI fake_CM_Locate_DevNodeA(PDEVINST node, DEVINSTID_A device_id, ULONG flags)
{
    EXPECT_EQ(nullptr, device_id) << "only the root is ever located";
    EXPECT_EQ(static_cast<ULONG>(CM_LOCATE_DEVNODE_PHANTOM), flags);
    g_fakes.events.push_back("locate");
    if (g_fakes.locate_result == CR_SUCCESS) {
        *node = g_fakes.root_node;
    }
    return g_fakes.locate_result;
}

CONFIGRET WINAPI fake_CM_Reenumerate_DevNode(DEVINST node, ULONG flags)
{
    expect_root(node);
    EXPECT_EQ(static_cast<ULONG>(CM_REENUMERATE_SYNCHRONOUS | CM_REENUMERATE_RETRY_INSTALLATION),
              flags);
    g_fakes.events.push_back("reenumerate");
    return g_fakes.reenumerate_result;
}

CONFIGRET WINAPI fake_CM_Get_DevNode_Status(PULONG status, PULONG problem, DEVINST node,
                                            ULONG flags)
{
    expect_root(node);
    EXPECT_EQ(0u, flags);
    g_fakes.events.push_back("status");
    if (g_fakes.statuses.empty()) {
        ADD_FAILURE() << "status query beyond the script";
        return CR_FAILURE;
    }
    device_status next = g_fakes.statuses.front();
    g_fakes.statuses.pop_front();
    if (next.result == CR_SUCCESS) {
        *status = next.status;
        *problem = next.problem;
    }
    return next.result;
}

CONFIGRET WINAPI fake_CM_Disable_DevNode(DEVINST node, ULONG flags)
{
    expect_root(node);
    EXPECT_EQ(0u, flags);
    g_fakes.events.push_back("disable");
    return g_fakes.disable_result;
}

CONFIGRET WINAPI fake_CM_Enable_DevNode(DEVINST node, ULONG flags)
{
    expect_root(node);
    EXPECT_EQ(0u, flags);
    g_fakes.events.push_back("enable");
    return g_fakes.enable_result;
}
