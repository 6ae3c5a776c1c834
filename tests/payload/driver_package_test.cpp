// The driver packages as carried: each driver pair expanded through the
// installer's own code, then its INF read and published by the platform.
// Runs in a prefix of its own: publishing changes the INF folder.
#include "payload/cabinet_expansion.h"
#include "payload/payload_data.h"

#include "payload_test_support.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <devguid.h>
#include <setupapi.h>

#include <string>

namespace
{

std::string field(INFCONTEXT *line, DWORD index)
{
    char value[MAX_PATH] = "";
    if (!SetupGetStringFieldA(line, index, value, sizeof value, nullptr)) {
        return "(none)";
    }
    return value;
}

// Field 1 of the first line with that key in that section.
std::string value_of(HINF inf, const char *section, const char *key)
{
    INFCONTEXT line;
    if (!SetupFindFirstLineA(inf, section, key, &line)) {
        return "(none)";
    }
    return field(&line, 1);
}

struct package_case {
    int sys_type;
    const char *package;
    const char *decoration;
};

class DriverPackage : public ::testing::TestWithParam<package_case>
{
  protected:
    void SetUp() override
    {
        install = make_test_install("driver_package", GetParam().sys_type);
        g_install_context.cab_stage = 1;
        payload_pair pair;
        ASSERT_EQ(0, driver_payload_pair(GetParam().sys_type, &pair));
        ASSERT_EQ(0, expand_cabinet(&g_install_context, pair.cabinet, pair.cabinet_length,
                                    pair.script, pair.script_length));
        ASSERT_EQ(1, g_install_context.inf_found);
        inf_path = g_install_context.inf_path;
        ASSERT_EQ(install.install + "\\4780DV\\" + GetParam().package + ".inf", inf_path);
    }
    void TearDown() override
    {
        remove_test_install(install);
    }

    test_install install;
    std::string inf_path;
};

TEST_P(DriverPackage, InfIsAWindowsNtNetClassPackageForItsProcessor)
{
    std::string package = GetParam().package;
    UINT error_line = 0;
    HINF inf = SetupOpenInfFileA(inf_path.c_str(), nullptr, INF_STYLE_WIN4, &error_line);
    ASSERT_NE(INVALID_HANDLE_VALUE, inf) << "line " << error_line;

    EXPECT_EQ("$Windows NT$", value_of(inf, "Version", "Signature"));
    EXPECT_EQ("Net", value_of(inf, "Version", "Class"));
    EXPECT_EQ("{4d36e972-e325-11ce-bfc1-08002be10318}", value_of(inf, "Version", "ClassGUID"));
    EXPECT_EQ("QUORVANTA", value_of(inf, "Version", "Provider"));
    EXPECT_EQ(package + ".cat", value_of(inf, "Version", "CatalogFile"));
    EXPECT_NE("(none)", value_of(inf, "Version", "DriverVer"));

    GUID class_guid;
    char class_name[MAX_PATH] = "";
    ASSERT_TRUE(
        SetupDiGetINFClassA(inf_path.c_str(), &class_guid, class_name, sizeof class_name, nullptr));
    EXPECT_STREQ("Net", class_name);
    EXPECT_TRUE(IsEqualGUID(GUID_DEVCLASS_NET, class_guid));

    // Manufacturer, then the models of this processor only, then the
    // install section the model names, with its services.
    INFCONTEXT line;
    ASSERT_TRUE(SetupFindFirstLineA(inf, "Manufacturer", nullptr, &line));
    std::string models = field(&line, 1);
    EXPECT_EQ(GetParam().decoration, field(&line, 2));
    EXPECT_EQ(3u, SetupGetFieldCount(&line) + 1) << "one decoration only";
    std::string model_section = models + "." + GetParam().decoration;
    ASSERT_TRUE(SetupFindFirstLineA(inf, model_section.c_str(), nullptr, &line));
    std::string install_section = field(&line, 1);
    std::string hardware_id = field(&line, 2);
    EXPECT_EQ(0u, hardware_id.rfind("USB\\VID_", 0)) << hardware_id;
    EXPECT_TRUE(SetupFindFirstLineA(inf, (install_section + ".NT").c_str(), "CopyFiles", &line));
    EXPECT_TRUE(
        SetupFindFirstLineA(inf, (install_section + ".NT.Services").c_str(), "AddService", &line));
    SetupCloseInfFile(inf);
}

TEST_P(DriverPackage, InfIsPublishedIntoTheInfFolder)
{
    char published[MAX_PATH] = "";
    char *name = nullptr;
    ASSERT_TRUE(SetupCopyOEMInfA(inf_path.c_str(), nullptr, SPOST_PATH, 0, published,
                                 sizeof published, nullptr, &name))
        << GetLastError();

    // Wine keeps the package's own name where it is free, Windows uses
    // "oem<n>.inf": either way a file of the Windows INF folder.
    char windows[MAX_PATH] = "";
    ASSERT_NE(0u, GetWindowsDirectoryA(windows, sizeof windows));
    std::string inf_folder = std::string(windows) + "\\inf\\";
    std::string path = published;
    ASSERT_EQ(0u, path.rfind(inf_folder, 0)) << path;
    ASSERT_NE(nullptr, name);
    EXPECT_EQ(path.substr(inf_folder.size()), name);

    std::string copy;
    std::string original;
    ASSERT_TRUE(test_files::read_bytes(path, &copy));
    ASSERT_TRUE(test_files::read_bytes(inf_path, &original));
    EXPECT_EQ(original, copy);
    UINT error_line = 0;
    HINF inf = SetupOpenInfFileA(published, nullptr, INF_STYLE_WIN4, &error_line);
    ASSERT_NE(INVALID_HANDLE_VALUE, inf);
    EXPECT_EQ(std::string(GetParam().package) + ".cat", value_of(inf, "Version", "CatalogFile"));
    SetupCloseInfFile(inf);
}

const package_case packages[] = {
    {3, "wlanbox_ndis620", "NTx86"},
    {4, "wlanbox_ndis620", "NTamd64"},
    {5, "wlanbox_ndis650", "NTx86"},
    {6, "wlanbox_ndis650", "NTamd64"},
};

INSTANTIATE_TEST_SUITE_P(EachDriverPair, DriverPackage, ::testing::ValuesIn(packages),
                         [](const ::testing::TestParamInfo<package_case> &info) {
                             return "sys_type_" + std::to_string(info.param.sys_type);
                         });

} // namespace
