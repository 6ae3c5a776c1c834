// The companion programs as real services under the service control
// manager: they acknowledge a region that the test creates, and stop.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace
{

const char region_name[] = "Global\\QUorProcMsg";

struct companion {
    const char *service_name;
    const char *unix_path;
};

const companion companions[] = {
    {"Vodorodeveroz", QV_USB_SERVICE_EXE},
    {"Disc_eject", QV_EJECT_SERVICE_EXE},
};

std::string windows_path(const char *unix_path)
{
    std::string path = std::string("Z:") + unix_path;
    for (char &c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    return "\"" + path + "\"";
}

// Polls until done() holds or about 30 s have passed.
template <typename Test> bool within_30s(Test done)
{
    for (int i = 0; i < 3000; ++i) {
        if (done()) {
            return true;
        }
        Sleep(10);
    }
    return done();
}

DWORD service_state(SC_HANDLE service, DWORD *process_id)
{
    SERVICE_STATUS_PROCESS status;
    DWORD needed = 0;
    if (!QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE *>(&status),
                              sizeof status, &needed)) {
        return 0;
    }
    if (process_id != nullptr) {
        *process_id = status.dwProcessId;
    }
    return status.dwCurrentState;
}

class CompanionService : public ::testing::TestWithParam<companion>
{
  protected:
    void SetUp() override
    {
        manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
        ASSERT_NE(nullptr, manager);
        std::string path = windows_path(GetParam().unix_path);
        service = CreateServiceA(manager, GetParam().service_name, GetParam().service_name,
                                 SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                                 SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, path.c_str(), nullptr,
                                 nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, service) << GetLastError();
    }

    void TearDown() override
    {
        if (service != nullptr) {
            SERVICE_STATUS status;
            ControlService(service, SERVICE_CONTROL_STOP, &status);
            within_30s([&] { return service_state(service, nullptr) == SERVICE_STOPPED; });
            DeleteService(service);
            CloseServiceHandle(service);
        }
        if (words != nullptr) {
            UnmapViewOfFile(const_cast<LONG *>(words));
        }
        if (region != nullptr) {
            CloseHandle(region);
        }
        if (manager != nullptr) {
            CloseServiceHandle(manager);
        }
    }

    void create_region(LONG request)
    {
        region = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_EXECUTE_READWRITE, 0, 8,
                                    region_name);
        ASSERT_NE(nullptr, region);
        ASSERT_NE(ERROR_ALREADY_EXISTS, GetLastError());
        words = static_cast<volatile LONG *>(MapViewOfFile(region, FILE_MAP_ALL_ACCESS, 0, 0, 0));
        ASSERT_NE(nullptr, words);
        words[1] = 0;
        words[0] = request;
    }

    void start_and_wait_running()
    {
        ASSERT_TRUE(StartServiceA(service, 0, nullptr)) << GetLastError();
        ASSERT_TRUE(within_30s([&] { return service_state(service, nullptr) == SERVICE_RUNNING; }));
    }

    // Stops the service and checks that its own process ends.
    void stop_and_check_exit()
    {
        DWORD process_id = 0;
        service_state(service, &process_id);
        ASSERT_NE(0u, process_id);
        HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, process_id);
        ASSERT_NE(nullptr, process);
        ASSERT_NE(GetCurrentProcessId(), process_id);

        SERVICE_STATUS status;
        ASSERT_TRUE(ControlService(service, SERVICE_CONTROL_STOP, &status)) << GetLastError();
        EXPECT_TRUE(within_30s([&] { return service_state(service, nullptr) == SERVICE_STOPPED; }));
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process, 30000));
        CloseHandle(process);
    }

    SC_HANDLE manager = nullptr;
    SC_HANDLE service = nullptr;
    HANDLE region = nullptr;
    volatile LONG *words = nullptr;
};

TEST_P(CompanionService, AnswersOnlyAfterTheRequestIsPosted)
{
    ASSERT_NO_FATAL_FAILURE(create_region(0));
    ASSERT_NO_FATAL_FAILURE(start_and_wait_running());

    // No request yet: the service must hold its answer back.
    Sleep(500);
    EXPECT_EQ(0, words[1]);

    words[0] = 1;
    EXPECT_TRUE(within_30s([&] { return words[1] == 1; }));
    EXPECT_EQ(1, words[0]);
    stop_and_check_exit();
}

TEST_P(CompanionService, WaitsForARegionCreatedAfterItsStart)
{
    ASSERT_NO_FATAL_FAILURE(start_and_wait_running());
    Sleep(500);
    ASSERT_NO_FATAL_FAILURE(create_region(1));
    EXPECT_TRUE(within_30s([&] { return words[1] == 1; }));
    stop_and_check_exit();
}

TEST_P(CompanionService, StopsWhileStillWaitingForTheRegion)
{
    ASSERT_NO_FATAL_FAILURE(start_and_wait_running());
    stop_and_check_exit();
}

INSTANTIATE_TEST_SUITE_P(Both, CompanionService, ::testing::ValuesIn(companions),
                         [](const ::testing::TestParamInfo<companion> &info) {
                             return std::string(info.param.service_name);
                         });

} // namespace
