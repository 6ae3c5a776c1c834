// Stopping and deleting the companion services against a scripted service
// control manager: states met on the way, the bounded wait (pauses
// counted), refusals, and that every handle opened is closed.
#include "carried/uninstaller/uninstall_services.h"

#include "uninstaller_test_support.h"

namespace
{

struct service_case {
    const char *title;
    fake_service service;
    int result;
    int controls;
    int deletes;
    int sleeps;
    const char *logged; // the line expected; nullptr: "Service Vodorodeveroz removed"
};

fake_service make(DWORD state)
{
    fake_service service;
    service.name = "Vodorodeveroz";
    service.state = state;
    return service;
}

fake_service with(fake_service service, int fake_service::*field, int value)
{
    service.*field = value;
    return service;
}

fake_service with_error(fake_service service, DWORD fake_service::*field, DWORD value)
{
    service.*field = value;
    return service;
}

std::vector<service_case> service_cases()
{
    fake_service missing = make(SERVICE_STOPPED);
    missing.exists = false;
    return {
        {"not installed", missing, 0, 0, 0, 0, "Service Vodorodeveroz not installed"},
        {"already stopped", make(SERVICE_STOPPED), 0, 0, 1, 0, nullptr},
        {"stops at once", make(SERVICE_RUNNING), 0, 1, 1, 0, nullptr},
        // One pause after the stop request, one after each pending poll.
        {"stops after three pending polls",
         with(make(SERVICE_RUNNING), &fake_service::stop_pending_polls, 3), 0, 1, 1, 4, nullptr},
        {"paused, stops after one pending poll",
         with(make(SERVICE_PAUSED), &fake_service::stop_pending_polls, 1), 0, 1, 1, 2, nullptr},
        {"someone else is stopping it",
         with(make(SERVICE_STOP_PENDING), &fake_service::stop_pending_polls, 2), 0, 0, 1, 2,
         nullptr},
        {"still starting: asked again until it takes the stop",
         with(make(SERVICE_START_PENDING), &fake_service::start_pending_polls, 2), 0, 3, 1, 2,
         nullptr},
        {"never stops: 60 pauses, then deleted anyway",
         with(make(SERVICE_RUNNING), &fake_service::stop_pending_polls, -1), -1, 1, 1, 60,
         "Service Vodorodeveroz did not stop within 30000 ms"},
        {"stop refused",
         with_error(make(SERVICE_RUNNING), &fake_service::control_error, ERROR_ACCESS_DENIED), -1,
         1, 1, 0, "Stop service Vodorodeveroz failed: 5"},
        {"not running after all",
         with_error(make(SERVICE_RUNNING), &fake_service::control_error, ERROR_SERVICE_NOT_ACTIVE),
         0, 1, 1, 0, nullptr},
        {"status unreadable",
         with_error(make(SERVICE_RUNNING), &fake_service::query_error, ERROR_ACCESS_DENIED), -1, 0,
         1, 0, "Query service Vodorodeveroz failed: 5"},
        {"deletion refused",
         with_error(make(SERVICE_STOPPED), &fake_service::delete_error, ERROR_ACCESS_DENIED), -1, 0,
         1, 0, "Delete service Vodorodeveroz failed: 5"},
        {"already marked for deletion",
         with_error(make(SERVICE_STOPPED), &fake_service::delete_error,
                    ERROR_SERVICE_MARKED_FOR_DELETE),
         0, 0, 1, 0, nullptr},
        {"open refused",
         with_error(make(SERVICE_RUNNING), &fake_service::open_error, ERROR_ACCESS_DENIED), -1, 0,
         0, 0, "Open service Vodorodeveroz failed: 5"},
    };
}

class uninstall_services_test : public uninstaller_test
{
  protected:
    // A new round in the same scratch folder: substitutes and log emptied.
    void fresh()
    {
        g_fakes.reset();
        DeleteFileA(g_install_context.log_path);
    }
};

TEST_F(uninstall_services_test, each_state_and_refusal_of_one_service)
{
    for (const service_case &c : service_cases()) {
        SCOPED_TRACE(c.title);
        fresh();
        g_fakes.services.push_back(c.service);

        EXPECT_EQ(remove_companion_services(), c.result);
        const fake_service &after = *g_fakes.find("Vodorodeveroz");
        EXPECT_EQ(after.controls, c.controls);
        EXPECT_EQ(after.deletes, c.deletes);
        EXPECT_EQ(g_fakes.sleeps, c.sleeps);
        EXPECT_EQ(after.closes, after.opens);
        EXPECT_EQ(g_fakes.manager_opens, 1);
        EXPECT_EQ(g_fakes.manager_closes, 1);

        // One line for this service, one for the other, which is missing.
        EXPECT_EQ(log_messages().size(), 2u);
        EXPECT_EQ(count_messages("Service Disc_eject not installed\r\n"), 1);
        if (c.logged != nullptr) {
            EXPECT_EQ(count_messages(std::string(c.logged) + "\r\n"), 1);
        } else {
            EXPECT_EQ(count_messages("Service Vodorodeveroz removed\r\n"), 1);
        }
    }
}

TEST_F(uninstall_services_test, both_companions_are_tried_whatever_the_first_gives)
{
    fake_service usb = make(SERVICE_RUNNING);
    usb.control_error = ERROR_ACCESS_DENIED;
    fake_service eject = make(SERVICE_RUNNING);
    eject.name = "Disc_eject";
    eject.stop_pending_polls = 1;
    g_fakes.services = {usb, eject};

    EXPECT_EQ(remove_companion_services(), -1);
    EXPECT_EQ(g_fakes.service_order, (std::vector<std::string>{"Vodorodeveroz", "Disc_eject"}));
    EXPECT_EQ(g_fakes.find("Disc_eject")->deletes, 1);
    EXPECT_EQ(count_messages("Service Disc_eject removed\r\n"), 1);
    EXPECT_EQ(count_messages("Stop service Vodorodeveroz failed: 5\r\n"), 1);
}

TEST_F(uninstall_services_test, an_unreachable_manager_is_one_failure)
{
    g_fakes.refuse_manager = true;
    g_fakes.services = {make(SERVICE_RUNNING)};

    EXPECT_EQ(remove_companion_services(), -1);
    EXPECT_TRUE(g_fakes.service_order.empty());
    EXPECT_EQ(log_messages(), (std::vector<std::string>{"Open sc manager failed: 5\r\n"}));
}

} // namespace
