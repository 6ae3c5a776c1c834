// The payload arrays, defined in generated sources: five cabinets and three
// setup scripts, each with its exact length. No array has a terminator.
#pragma once

extern const unsigned char common_cabinet[];
extern const int common_cabinet_length;
extern const unsigned char ndis650_x64_cabinet[];
extern const int ndis650_x64_cabinet_length;
extern const unsigned char ndis650_x86_cabinet[];
extern const int ndis650_x86_cabinet_length;
extern const unsigned char ndis620_x64_cabinet[];
extern const int ndis620_x64_cabinet_length;
extern const unsigned char ndis620_x86_cabinet[];
extern const int ndis620_x86_cabinet_length;

extern const unsigned char common_setup_script[];
extern const int common_setup_script_length;
extern const unsigned char win10_setup_script[];
extern const int win10_setup_script_length;
extern const unsigned char win7_setup_script[];
extern const int win7_setup_script_length;
