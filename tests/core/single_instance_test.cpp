// The installer's mutex in the bench prefix's Global namespace: taken with
// its protection when free, a second taker told to leave, and every other
// outcome letting the installer run.
#include "setup/single_instance.h"

#include "object_dacl.h"

#include <gtest/gtest.h>

#include <sddl.h>
#include <windows.h>

#include <string>
#include <vector>

namespace
{

struct single_instance_fakes {
    int creations = 0;
    std::string sddl; // the descriptor CreateMutexA was given
    bool inheritable = false;
    DWORD refuse_creation = 0; // an error for CreateMutexA to fail with
    bool refuse_sid = false;
    std::vector<HANDLE> kept; // handles the procedure holds on to
} g_fakes;

} // namespace

HANDLE WINAPI fake_CreateMutexA(LPSECURITY_ATTRIBUTES attributes, BOOL initial_owner, LPCSTR name)
{
    ++g_fakes.creations;
    g_fakes.sddl.clear();
    char *sddl = nullptr;
    if (attributes != nullptr && ConvertSecurityDescriptorToStringSecurityDescriptorA(
                                     attributes->lpSecurityDescriptor, SDDL_REVISION_1,
                                     DACL_SECURITY_INFORMATION, &sddl, nullptr)) {
        g_fakes.sddl = sddl;
        LocalFree(sddl);
    }
    g_fakes.inheritable = attributes != nullptr && attributes->bInheritHandle;
    if (g_fakes.refuse_creation != 0) {
        SetLastError(g_fakes.refuse_creation);
        return nullptr;
    }
    HANDLE mutex = CreateMutexA(attributes, initial_owner, name);
    DWORD error = GetLastError();
    if (mutex != nullptr && error != ERROR_ALREADY_EXISTS) {
        g_fakes.kept.push_back(mutex);
    }
    SetLastError(error);
    return mutex;
}

BOOL WINAPI fake_CreateWellKnownSid(WELL_KNOWN_SID_TYPE type, PSID domain, PSID sid, DWORD *size)
{
    if (g_fakes.refuse_sid) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return CreateWellKnownSid(type, domain, sid, size);
}

namespace
{

const char mutex_name[] = "Global\\QUORVANTA4780Setup";

bool mutex_exists()
{
    HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, mutex_name);
    if (mutex == nullptr) {
        return false;
    }
    CloseHandle(mutex);
    return true;
}

class SingleInstanceTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        g_fakes = single_instance_fakes();
        ASSERT_FALSE(mutex_exists()) << "a mutex from elsewhere is still open";
    }
    void TearDown() override
    {
        for (HANDLE mutex : g_fakes.kept) {
            CloseHandle(mutex);
        }
        g_fakes = single_instance_fakes();
        EXPECT_FALSE(mutex_exists());
    }
};

TEST_F(SingleInstanceTest, TheFirstInstallerTakesAMutexOnlySystemAndAdministratorsMayOpen)
{
    EXPECT_FALSE(another_installer_running());
    EXPECT_EQ("D:P(A;;GA;;;SY)(A;;GA;;;BA)", g_fakes.sddl);
    EXPECT_FALSE(g_fakes.inheritable);
    ASSERT_EQ(1u, g_fakes.kept.size());

    // The object under its Global name carries that protection.
    HANDLE mutex = OpenMutexA(READ_CONTROL, FALSE, mutex_name);
    ASSERT_NE(nullptr, mutex);
    EXPECT_EQ("D:P(A;;GA;;;SY)(A;;GA;;;BA)", test_files::object_dacl(mutex));
    CloseHandle(mutex);

    // A second installer is told to leave, and keeps no handle of its own.
    EXPECT_TRUE(another_installer_running());
    EXPECT_EQ(1u, g_fakes.kept.size());
    CloseHandle(g_fakes.kept[0]);
    g_fakes.kept.clear();
    EXPECT_FALSE(mutex_exists());
}

TEST_F(SingleInstanceTest, SomeoneElsesMutexThatDeniesUsDoesNotStopTheInstaller)
{
    // Taken before us with a DACL that admits nobody: ours admits
    // Administrators, so this one is not an installer's.
    SECURITY_DESCRIPTOR descriptor;
    ASSERT_TRUE(InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION));
    ACL empty;
    ASSERT_TRUE(InitializeAcl(&empty, sizeof empty, ACL_REVISION));
    ASSERT_TRUE(SetSecurityDescriptorDacl(&descriptor, TRUE, &empty, FALSE));
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, &descriptor, FALSE};
    HANDLE foreign = CreateMutexA(&attributes, FALSE, mutex_name);
    ASSERT_NE(nullptr, foreign);
    g_fakes = single_instance_fakes();

    EXPECT_FALSE(another_installer_running());
    EXPECT_EQ(1, g_fakes.creations);
    EXPECT_TRUE(g_fakes.kept.empty());
    CloseHandle(foreign);
}

TEST_F(SingleInstanceTest, AMutexThatCannotBeHadLetsTheInstallerRun)
{
    struct {
        const char *name;
        bool refuse_sid;
        DWORD refuse_creation;
        bool event_takes_the_name;
        int creations;
    } cases[] = {
        {"no descriptor: no unprotected mutex either", true, 0, false, 0},
        {"no resources", false, ERROR_NO_SYSTEM_RESOURCES, false, 1},
        {"an event holds the name", false, 0, true, 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        g_fakes = single_instance_fakes();
        g_fakes.refuse_sid = c.refuse_sid;
        g_fakes.refuse_creation = c.refuse_creation;
        HANDLE event = nullptr;
        if (c.event_takes_the_name) {
            event = CreateEventA(nullptr, TRUE, FALSE, mutex_name);
            ASSERT_NE(nullptr, event);
        }

        EXPECT_FALSE(another_installer_running());
        EXPECT_EQ(c.creations, g_fakes.creations);
        EXPECT_TRUE(g_fakes.kept.empty());
        if (event != nullptr) {
            CloseHandle(event);
        }
        EXPECT_FALSE(mutex_exists());
    }
}

} // namespace
