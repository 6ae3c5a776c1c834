// Force-included into the staging and re-enumeration product sources.
#pragma once

#include "driver_fakes.h"

#define SetupCopyOEMInfA fake_SetupCopyOEMInfA
#define Sleep fake_Sleep
#define CM_Locate_DevNodeA fake_CM_Locate_DevNodeA
#define CM_Reenumerate_DevNode fake_CM_Reenumerate_DevNode
#define CM_Get_DevNode_Status fake_CM_Get_DevNode_Status
#define CM_Disable_DevNode fake_CM_Disable_DevNode
#define CM_Enable_DevNode fake_CM_Enable_DevNode
