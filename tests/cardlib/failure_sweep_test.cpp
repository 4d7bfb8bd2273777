// Every export against every driver call it makes, each made to fail in turn: the export
// returns that call's code, hands out no value, and a stop still sends its stop command.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "frame/card_table.h"
#include "ktr4.h"
#include "ktr4sim.h"
#include "pulser_follower.h"
#include "export_table.h"
#include "sim_fixture.h"

namespace {

constexpr int32_t kInjected = 4242;

using namespace ktr4test;

class FailureSweep : public SimCardTest {
protected:
    void TearDown() override
    {
        ktr4sim_clear_failures();
        KTR4_close();  // joins the service threads the table started
        std::remove(config_path().c_str());
        SimCardTest::TearDown();
    }

    // One card, every axis stopped (or running) and its stop bookkeeping armed, trace empty.
    void prepare(const Export& e)
    {
        ktr4sim_reset();
        ktr4sim_set_motion(0);
        start({0});
        for (uint8_t axis = 0; axis < 4; ++axis) {
            ktr4::axis_state(0, axis).end.bookkeeping_armed = 1;
            if (e.setup == kRunningAxes)
                set_status(0, axis, KTR4SIM_MAIN_STATUS, 0);
        }
        if (e.setup == kSavedFile) {
            ASSERT_EQ(KTR4_save_config2_file(0, config_path().c_str()), KTR4_OK);
        }
        KTR4_EVENT event;
        if (e.setup == kInterruptEnabled) {
            ASSERT_EQ(KTR4_enable_IRQ(0, &event), KTR4_OK);
        }
        ktr4sim_trace_clear();
    }

    static bool sent(uint16_t command)
    {
        for (const auto& call : calls_of(22))
            if (call.a == 0 && call.value == command)
                return true;
        return false;
    }
};

TEST_F(FailureSweep, EveryDriverCallOfEveryExportFailingIsReportedAndHandsOutNothing)
{
    size_t injected = 0;
    for (const Export& e : kExports) {
        SCOPED_TRACE(e.name);
        prepare(e);
        Out clean;
        ASSERT_EQ(e.call(0, clean), KTR4_OK);
        const auto calls = trace();
        for (size_t k = 0; k < calls.size(); ++k) {
            uint32_t earlier = 0;
            for (size_t j = 0; j < k; ++j)
                earlier += calls[j].operation == calls[k].operation ? 1u : 0u;
            SCOPED_TRACE("driver call " + std::to_string(k) + " (operation " + std::to_string(calls[k].operation)
                         + ")");
            prepare(e);
            ktr4sim_fail(calls[k].operation, kInjected, earlier, 1);
            Out out;
            EXPECT_EQ(e.call(0, out), kInjected);
            EXPECT_TRUE(out.untouched());
            if (e.stop_command != 0) {
                EXPECT_TRUE(sent(e.stop_command));
            }
            ktr4sim_clear_failures();
            ++injected;
        }
    }
    EXPECT_GT(injected, 500u);
}

TEST_F(FailureSweep, TheTableNamesEveryExportOfTheHeader)
{
    std::ifstream header(KTR4_HEADER);
    ASSERT_TRUE(header.good());
    std::stringstream text;
    text << header.rdbuf();
    const std::string source = text.str();
    std::set<std::string> tabled;
    for (const Export& e : kExports)
        tabled.insert(std::string(e.name).substr(0, std::string(e.name).find(' ')));
    const std::regex declaration(R"(KTR4_CALL\s+(KTR4_\w+)\s*\()");
    size_t declared = 0;
    for (std::sregex_iterator it(source.begin(), source.end(), declaration), end; it != end; ++it) {
        const std::string name = (*it)[1];
        if (name == "KTR4_error_text" || name == "KTR4_driver_load_error")
            continue;  // no card, no driver call
        ++declared;
        EXPECT_TRUE(tabled.count(name)) << name;
    }
    EXPECT_GT(declared, 110u);
}

}  // namespace
