// The companion services under Wine's service control manager, with the
// real companion programs in a folder whose name holds blanks. Services are
// removed before and after every test; a failing manager is substituted.
#include "registration/handshake.h"
#include "registration/services.h"

#include "fake_clock.h"
#include "registration_test_support.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

namespace
{

struct services_fakes {
    bool refuse_manager = false;
    int sleeps = 0;
    std::vector<DWORD> pauses;
    // A handle of the test's that keeps a deleted service marked, closed
    // during the pause numbered release_at (never when 0).
    SC_HANDLE holder = nullptr;
    std::string held_name;
    int release_at = 0;
    bool open_hides_marked = false; // OpenServiceA finds no service while it is held
    bool refuse_change = false;
} g_fakes;

void release_holder()
{
    if (g_fakes.holder != nullptr) {
        CloseServiceHandle(g_fakes.holder);
        g_fakes.holder = nullptr;
    }
}

} // namespace

SC_HANDLE WINAPI fake_OpenSCManagerA(LPCSTR machine, LPCSTR database, DWORD access)
{
    if (g_fakes.refuse_manager) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return OpenSCManagerA(machine, database, access);
}

SC_HANDLE WINAPI fake_OpenServiceA(SC_HANDLE manager, LPCSTR name, DWORD access)
{
    if (g_fakes.open_hides_marked && g_fakes.holder != nullptr && g_fakes.held_name == name) {
        SetLastError(ERROR_SERVICE_DOES_NOT_EXIST);
        return nullptr;
    }
    return OpenServiceA(manager, name, access);
}

BOOL WINAPI fake_ChangeServiceConfigA(SC_HANDLE service, DWORD type, DWORD start, DWORD errors,
                                      LPCSTR path, LPCSTR group, LPDWORD tag, LPCSTR dependencies,
                                      LPCSTR account, LPCSTR password, LPCSTR display_name)
{
    if (g_fakes.refuse_change) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return ChangeServiceConfigA(service, type, start, errors, path, group, tag, dependencies,
                                account, password, display_name);
}

// Moves the test's clock by the pause asked for; sleeps for real only as
// long as the handshake's short pauses, which let the companions answer.
void WINAPI fake_Sleep(DWORD milliseconds)
{
    ++g_fakes.sleeps;
    g_fakes.pauses.push_back(milliseconds);
    g_fake_clock.now += milliseconds;
    if (g_fakes.sleeps == g_fakes.release_at) {
        release_holder();
    }
    Sleep(milliseconds <= 1 ? milliseconds : 1);
}

namespace
{

using registration_test::windows_path;

struct companion {
    const char *name;
    const char *display_name;
    const char *program_file;
    const char *built_program;
    int (*register_service)(install_context *);
};

const companion companions[] = {
    {"Vodorodeveroz", "QUORVANTA 4780DV USB srvc", "Vodorodeveroz.exe", QV_USB_SERVICE_EXE,
     register_usb_service},
    {"Disc_eject", "QUORVANTA 4780DV disc eject", "Disc_eject.exe", QV_EJECT_SERVICE_EXE,
     register_eject_service},
};

// Polls until done() holds or about 30 s have passed.
template <typename Condition> bool within_30s(Condition done)
{
    for (int i = 0; i < 300; ++i) {
        if (done()) {
            return true;
        }
        Sleep(100);
    }
    return done();
}

struct service_facts {
    bool exists = false;
    DWORD state = 0;
    DWORD service_type = 0;
    DWORD start_type = 0;
    DWORD error_control = 0;
    std::string program_path;
    std::string display_name;
    std::string account;
};

service_facts inspect(const char *name)
{
    service_facts facts;
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (manager == nullptr) {
        return facts;
    }
    SC_HANDLE service = OpenServiceA(manager, name, SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS);
    if (service != nullptr) {
        facts.exists = true;
        SERVICE_STATUS status;
        if (QueryServiceStatus(service, &status)) {
            facts.state = status.dwCurrentState;
        }
        alignas(QUERY_SERVICE_CONFIGA) char buffer[8192];
        QUERY_SERVICE_CONFIGA *config = reinterpret_cast<QUERY_SERVICE_CONFIGA *>(buffer);
        DWORD needed = 0;
        if (QueryServiceConfigA(service, config, sizeof buffer, &needed)) {
            facts.service_type = config->dwServiceType;
            facts.start_type = config->dwStartType;
            facts.error_control = config->dwErrorControl;
            facts.program_path = config->lpBinaryPathName ? config->lpBinaryPathName : "";
            facts.display_name = config->lpDisplayName ? config->lpDisplayName : "";
            facts.account = config->lpServiceStartName ? config->lpServiceStartName : "";
        }
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
    return facts;
}

// Stops and deletes a service of that name, if there is one, and waits
// until it is gone.
void remove_service(const char *name)
{
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    ASSERT_NE(nullptr, manager);
    SC_HANDLE service = OpenServiceA(manager, name, SERVICE_STOP | SERVICE_QUERY_STATUS | DELETE);
    if (service != nullptr) {
        SERVICE_STATUS status;
        ControlService(service, SERVICE_CONTROL_STOP, &status);
        EXPECT_TRUE(within_30s([&] {
            return !QueryServiceStatus(service, &status) ||
                   status.dwCurrentState == SERVICE_STOPPED;
        })) << name;
        DeleteService(service);
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
    EXPECT_TRUE(within_30s([&] { return !inspect(name).exists; })) << name;
}

class ServicesTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        g_fakes = services_fakes();
        g_fake_clock = fake_clock_state();
        for (const companion &one : companions) {
            remove_service(one.name);
        }
        scratch = test_files::make_scratch_dir("services");
        log = new registration_test::log_capture(scratch);
        // The installed layout: blanks in the folder, as in "Program Files (x86)".
        CreateDirectoryA((scratch + "\\Program Files (x86)").c_str(), nullptr);
        install_dir = scratch + "\\Program Files (x86)\\QUORVANTA";
        CreateDirectoryA(install_dir.c_str(), nullptr);
        for (const companion &one : companions) {
            ASSERT_TRUE(CopyFileA(windows_path(one.built_program).c_str(),
                                  (install_dir + "\\" + one.program_file).c_str(), FALSE));
        }
        empty_dir = scratch + "\\Program Files (x86)\\EMPTY";
        CreateDirectoryA(empty_dir.c_str(), nullptr);
    }
    void TearDown() override
    {
        release_holder();
        g_fakes = services_fakes();
        for (const companion &one : companions) {
            remove_service(one.name);
        }
        delete log;
        test_files::delete_tree(scratch);
    }
    install_context context_for(const std::string &folder)
    {
        install_context context;
        memset(&context, 0, sizeof context);
        strcpy(context.install_dir, folder.c_str());
        return context;
    }
    std::string quoted(const std::string &folder, const char *program_file)
    {
        return "\"" + folder + "\\" + program_file + "\"";
    }
    std::string scratch;
    std::string install_dir;
    std::string empty_dir;
    registration_test::log_capture *log = nullptr;
};

// What a new registration gives, whatever was there before.
void expect_as_created(const std::string &install_dir, const companion &one)
{
    SCOPED_TRACE(one.name);
    service_facts facts = inspect(one.name);
    ASSERT_TRUE(facts.exists);
    EXPECT_EQ(static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS), facts.service_type);
    EXPECT_EQ(static_cast<DWORD>(SERVICE_AUTO_START), facts.start_type);
    EXPECT_EQ(static_cast<DWORD>(SERVICE_ERROR_NORMAL), facts.error_control);
    EXPECT_EQ("\"" + install_dir + "\\" + one.program_file + "\"", facts.program_path);
    EXPECT_EQ(one.display_name, facts.display_name);
    EXPECT_EQ("LocalSystem", facts.account);
    EXPECT_TRUE(within_30s([&] { return inspect(one.name).state == SERVICE_RUNNING; }));
}

TEST_F(ServicesTest, NewServicesAreCreatedStartedAndAcknowledgeTheHandshake)
{
    install_context context = context_for(install_dir);
    HANDLE region = nullptr;
    void *view = nullptr;
    open_handshake(&region, &view);
    ASSERT_NE(nullptr, view);

    for (const companion &one : companions) {
        EXPECT_EQ(0, one.register_service(&context)) << one.name;
    }
    close_handshake(region, view);

    // Fewer than 2000 pauses of 1 ms: the wait ended because a companion answered.
    EXPECT_LT(g_fakes.sleeps, 2000);
    EXPECT_TRUE(log->messages().empty());
    for (const companion &one : companions) {
        expect_as_created(install_dir, one);
    }
}

TEST_F(ServicesTest, ExistingServicesAreSetUpAsNewOnesAndStarted)
{
    // Registered by someone else: started on demand, errors ignored, another
    // name shown and a program where there is none.
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    ASSERT_NE(nullptr, manager);
    for (const companion &one : companions) {
        SC_HANDLE service =
            CreateServiceA(manager, one.name, (std::string("earlier ") + one.name).c_str(),
                           SERVICE_QUERY_STATUS, SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START,
                           SERVICE_ERROR_IGNORE, (empty_dir + "\\" + one.program_file).c_str(),
                           nullptr, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, service) << one.name;
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);

    install_context context = context_for(install_dir);
    for (const companion &one : companions) {
        EXPECT_EQ(0, one.register_service(&context)) << one.name;
    }

    EXPECT_EQ(std::vector<std::string>(2, "Open sc service success\r\n"), log->messages());
    for (const companion &one : companions) {
        expect_as_created(install_dir, one);
    }
}

TEST_F(ServicesTest, AnExistingServiceThatCannotBeChangedIsLoggedAndNotStarted)
{
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    ASSERT_NE(nullptr, manager);
    SC_HANDLE service =
        CreateServiceA(manager, "Vodorodeveroz", "earlier", SERVICE_QUERY_STATUS,
                       SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE,
                       quoted(install_dir, "Vodorodeveroz.exe").c_str(), nullptr, nullptr, nullptr,
                       nullptr, nullptr);
    ASSERT_NE(nullptr, service);
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
    g_fakes.refuse_change = true;

    install_context context = context_for(install_dir);
    EXPECT_EQ(-1, register_usb_service(&context));

    EXPECT_EQ(std::vector<std::string>{"Change sc service failed error=5\r\n"}, log->messages());
    EXPECT_TRUE(g_fakes.pauses.empty());
    service_facts facts = inspect("Vodorodeveroz");
    EXPECT_EQ(static_cast<DWORD>(SERVICE_STOPPED), facts.state);
    EXPECT_EQ(static_cast<DWORD>(SERVICE_DEMAND_START), facts.start_type);
}

TEST_F(ServicesTest, AServiceMarkedForDeletionIsAwaitedForTenSecondsOfClock)
{
    struct {
        const char *name;
        int release_at;         // the pause during which the holder lets go; 0: never
        bool open_hides_marked; // the platform reports the mark only at creation
        int result;
        int pauses; // of 250 ms
    } cases[] = {
        {"let go during the 3rd pause: created anew", 3, false, 0, 3},
        {"let go during the 3rd pause, mark seen at creation", 3, true, 0, 3},
        {"held throughout: logged after 40 pauses", 0, false, -1, 40},
        {"held throughout, mark seen at creation", 0, true, -1, 40},
    };
    for (const auto &c : cases) {
        for (const companion &one : companions) {
            SCOPED_TRACE(std::string(c.name) + ", " + one.name);
            TearDown();
            SetUp();
            // The earlier installation's service, deleted while a handle of
            // ours keeps it, as an open services console would.
            SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
            ASSERT_NE(nullptr, manager);
            SC_HANDLE service =
                CreateServiceA(manager, one.name, one.display_name, DELETE,
                               SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL,
                               quoted(install_dir, one.program_file).c_str(), nullptr, nullptr,
                               nullptr, nullptr, nullptr);
            ASSERT_NE(nullptr, service);
            g_fakes.holder = OpenServiceA(manager, one.name, SERVICE_QUERY_STATUS);
            ASSERT_NE(nullptr, g_fakes.holder);
            g_fakes.held_name = one.name;
            ASSERT_TRUE(DeleteService(service));
            CloseServiceHandle(service);
            CloseServiceHandle(manager);
            ASSERT_TRUE(inspect(one.name).exists);
            g_fakes.release_at = c.release_at;
            g_fakes.open_hides_marked = c.open_hides_marked;

            install_context context = context_for(install_dir);
            EXPECT_EQ(c.result, one.register_service(&context));

            EXPECT_EQ(std::vector<DWORD>(c.pauses, 250), g_fakes.pauses);
            if (c.result == 0) {
                EXPECT_TRUE(log->messages().empty());
                expect_as_created(install_dir, one);
            } else {
                EXPECT_EQ(std::vector<std::string>{std::string("Service ") + one.name +
                                                   " is marked for deletion; restart Windows "
                                                   "to finish\r\n"},
                          log->messages());
                release_holder();
                EXPECT_TRUE(within_30s([&] { return !inspect(one.name).exists; }));
            }
        }
    }
}

TEST_F(ServicesTest, AServiceThatCannotStartStaysRegisteredAndTheOtherStillStarts)
{
    // No program where the USB service points: its start fails.
    install_context missing = context_for(empty_dir);
    install_context present = context_for(install_dir);
    EXPECT_EQ(-1, register_usb_service(&missing));
    EXPECT_EQ(0, register_eject_service(&present));

    EXPECT_EQ(std::vector<std::string>{"Service start failed!\r\n"}, log->messages());
    service_facts usb = inspect("Vodorodeveroz");
    EXPECT_TRUE(usb.exists);
    EXPECT_EQ(static_cast<DWORD>(SERVICE_STOPPED), usb.state);
    EXPECT_EQ(static_cast<DWORD>(SERVICE_AUTO_START), usb.start_type);
    EXPECT_EQ(quoted(empty_dir, "Vodorodeveroz.exe"), usb.program_path);
    EXPECT_TRUE(within_30s([] { return inspect("Disc_eject").state == SERVICE_RUNNING; }));
}

TEST_F(ServicesTest, AManagerThatCannotBeOpenedRegistersNothing)
{
    g_fakes.refuse_manager = true;
    install_context context = context_for(install_dir);
    for (const companion &one : companions) {
        EXPECT_EQ(-1, one.register_service(&context)) << one.name;
    }
    EXPECT_EQ(std::vector<std::string>(2, "Open sc manager failed\r\n"), log->messages());
    for (const companion &one : companions) {
        EXPECT_FALSE(inspect(one.name).exists) << one.name;
    }
}

} // namespace
