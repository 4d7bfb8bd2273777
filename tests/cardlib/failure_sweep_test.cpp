// Every export against every driver call it makes, each made to fail in turn: the export
// returns that call's code, hands out no value, and a stop still sends its stop command.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <unistd.h>

#include "frame/card_table.h"
#include "ktr4.h"
#include "ktr4sim.h"
#include "pulser_follower.h"
#include "sim_fixture.h"

namespace {

constexpr int32_t kInjected = 4242;

// The caller's variables, filled with a pattern no export writes, compared byte for byte.
struct Out {
    Out() { std::memset(static_cast<void*>(this), 0xA5, sizeof *this); }
    bool untouched() const
    {
        const Out pristine;
        return std::memcmp(this, &pristine, sizeof *this) == 0;
    }
    uint8_t b[5];
    uint16_t h[2];
    int32_t i[2];
    uint32_t u[2];
    double d;
    KTR4_EVENT event;
};

enum Setup : uint8_t { kStoppedAxes, kRunningAxes, kSavedFile, kInterruptEnabled };

struct Export {
    const char* name;
    std::function<int32_t(Out&)> call;
    Setup setup = kStoppedAxes;
    uint16_t stop_command = 0;  // a command word the export sends even after a failure
};

std::string config_path()
{
    return "/tmp/ktr4-sweep-" + std::to_string(::getpid()) + ".cfg";
}

void KTR4_CALL no_callback(uint8_t) { }

// An arc that runs a line instead reports 308 when the line succeeded.
int32_t line_instead(int32_t rc)
{
    return rc == KTR4_ERR_ARC_GEOMETRY ? KTR4_OK : rc;
}

// clang-format off
const Export kExports[] = {
  {"KTR4_initial", [](Out&) { return KTR4_initial(); }},
  {"KTR4_init_card", [](Out&) { return KTR4_init_card(0); }},
  {"KTR4_close", [](Out&) { return KTR4_close(); }},
  {"KTR4_info", [](Out& o) { return KTR4_info(0, &o.h[0]); }},
  {"KTR4_set_pulse_outmode", [](Out&) { return KTR4_set_pulse_outmode(0, 1, 2); }},
  {"KTR4_readback_pulse_outmode", [](Out& o) { return KTR4_readback_pulse_outmode(0, 1, &o.b[0]); }},
  {"KTR4_set_pulse_inmode", [](Out&) { return KTR4_set_pulse_inmode(0, 1, 1, 1); }},
  {"KTR4_readback_pulse_inmode", [](Out& o) { return KTR4_readback_pulse_inmode(0, 1, &o.b[0], &o.b[1]); }},
  {"KTR4_config_SD_PIN", [](Out&) { return KTR4_config_SD_PIN(0, 1, 1, 1, 0, 1); }},
  {"KTR4_readback_SD_PIN", [](Out& o) { return KTR4_readback_SD_PIN(0, 1, &o.b[0], &o.b[1], &o.b[2], &o.b[3], &o.b[4]); }},
  {"KTR4_config_PCS_PIN", [](Out&) { return KTR4_config_PCS_PIN(0, 1, 1, 1); }},
  {"KTR4_readback_PCS_PIN", [](Out& o) { return KTR4_readback_PCS_PIN(0, 1, &o.b[0], &o.b[1], &o.b[2]); }},
  {"KTR4_config_INP_PIN", [](Out&) { return KTR4_config_INP_PIN(0, 1, 1, 1); }},
  {"KTR4_readback_INP_PIN", [](Out& o) { return KTR4_readback_INP_PIN(0, 1, &o.b[0], &o.b[1], &o.b[2]); }},
  {"KTR4_config_ERC_PIN", [](Out&) { return KTR4_config_ERC_PIN(0, 1, 1, 0, 3, 2); }},
  {"KTR4_readback_ERC_PIN", [](Out& o) { return KTR4_readback_ERC_PIN(0, 1, &o.b[0], &o.b[1], &o.b[2], &o.b[3], &o.b[4]); }},
  {"KTR4_config_ALM_PIN", [](Out&) { return KTR4_config_ALM_PIN(0, 1, 1, 0); }},
  {"KTR4_readback_ALM_PIN", [](Out& o) { return KTR4_readback_ALM_PIN(0, 1, &o.b[0], &o.b[1], &o.b[2]); }},
  {"KTR4_config_LTC_PIN", [](Out&) { return KTR4_config_LTC_PIN(0, 1, 1, 1); }},
  {"KTR4_readback_LTC_PIN", [](Out& o) { return KTR4_readback_LTC_PIN(0, 1, &o.b[0], &o.b[1], &o.b[2]); }},
  {"KTR4_config_CMP_OUT", [](Out&) { return KTR4_config_CMP_OUT(0, 1, 1); }},
  {"KTR4_readback_CMP_OUT", [](Out& o) { return KTR4_readback_CMP_OUT(0, 1, &o.b[0], &o.b[1]); }},
  {"KTR4_config_EL_MODE", [](Out&) { return KTR4_config_EL_MODE(0, 1, 1); }},
  {"KTR4_readback_EL_MODE", [](Out& o) { return KTR4_readback_EL_MODE(0, 1, &o.b[0]); }},
  {"KTR4_set_HOME_pin_logic", [](Out&) { return KTR4_set_HOME_pin_logic(0, 1, 1); }},
  {"KTR4_readback_HOME_pin_logic", [](Out& o) { return KTR4_readback_HOME_pin_logic(0, 1, &o.b[0]); }},
  {"KTR4_set_EZ_pin_logic", [](Out&) { return KTR4_set_EZ_pin_logic(0, 1, 1); }},
  {"KTR4_readback_EZ_pin_logic", [](Out& o) { return KTR4_readback_EZ_pin_logic(0, 1, &o.b[0]); }},
  {"KTR4_config_TTL_IO_MODE", [](Out&) { return KTR4_config_TTL_IO_MODE(0, 3); }},
  {"KTR4_readback_TTL_IO_MODE", [](Out& o) { return KTR4_readback_TTL_IO_MODE(0, &o.b[0]); }},
  {"KTR4_save_config2_file", [](Out&) { return KTR4_save_config2_file(0, config_path().c_str()); }},
  {"KTR4_load_config_from_file", [](Out&) { return KTR4_load_config_from_file(0, config_path().c_str()); }, kSavedFile},
  {"KTR4_read_current_position", [](Out& o) { return KTR4_read_current_position(0, 1, &o.i[0]); }},
  {"KTR4_set_current_position", [](Out&) { return KTR4_set_current_position(0, 1, 5); }},
  {"KTR4_read_FB_counter", [](Out& o) { return KTR4_read_FB_counter(0, 1, &o.i[0]); }},
  {"KTR4_set_FB_counter", [](Out&) { return KTR4_set_FB_counter(0, 1, 5); }},
  {"KTR4_read_FBcounter_latch_value", [](Out& o) { return KTR4_read_FBcounter_latch_value(0, 1, &o.i[0]); }},
  {"KTR4_config_comparator_out", [](Out&) { return KTR4_config_comparator_out(0, 1, 1, 2, 1); }},
  {"KTR4_readback_comparator_out", [](Out& o) { return KTR4_readback_comparator_out(0, 1, &o.b[0], &o.b[1], &o.b[2]); }},
  {"KTR4_set_comparator_data", [](Out&) { return KTR4_set_comparator_data(0, 1, 5); }},
  {"KTR4_readback_comparator_data", [](Out& o) { return KTR4_readback_comparator_data(0, 1, &o.i[0]); }},
  {"KTR4_read_compare_flag", [](Out& o) { return KTR4_read_compare_flag(0, 1, &o.b[0]); }},
  {"KTR4_set_event_factor", [](Out&) { return KTR4_set_event_factor(0, 1, 1); }},
  {"KTR4_read_event_flag", [](Out& o) { return KTR4_read_event_flag(0, 1, &o.u[0]); }},
  {"KTR4_read_error_flag", [](Out& o) { return KTR4_read_error_flag(0, 1, &o.u[0]); }},
  {"KTR4_config_softlimit", [](Out&) { return KTR4_config_softlimit(0, 1, 1, 2); }},
  {"KTR4_readback_config_softlimit", [](Out& o) { return KTR4_readback_config_softlimit(0, 1, &o.b[0], &o.b[1]); }},
  {"KTR4_set_softlimit_data", [](Out&) { return KTR4_set_softlimit_data(0, 1, 123456, -654321); }},
  {"KTR4_readback_softlimit_data", [](Out& o) { return KTR4_readback_softlimit_data(0, 1, &o.i[0], &o.i[1]); }},
  {"KTR4_enable_softlimit", [](Out&) { return KTR4_enable_softlimit(0, 1, 1); }},
  {"KTR4_readback_enable_softlimit", [](Out& o) { return KTR4_readback_enable_softlimit(0, 1, &o.b[0]); }},
  {"KTR4_read_softlimit_flag", [](Out& o) { return KTR4_read_softlimit_flag(0, 1, &o.b[0], &o.b[1]); }},
  {"KTR4_read_motion_status", [](Out& o) { return KTR4_read_motion_status(0, 1, 0, &o.b[0]); }},
  {"KTR4_read_point_status", [](Out& o) { return KTR4_read_point_status(0, 1, 3, &o.b[0]); }},
  {"KTR4_read_point_status (switch input)", [](Out& o) { return KTR4_read_point_status(0, 1, 18, &o.b[0]); }},
  {"KTR4_write_output_point", [](Out&) { return KTR4_write_output_point(0, 1, 2, 1); }},
  {"KTR4_fix_speed_range", [](Out&) { return KTR4_fix_speed_range(0, 1, 10000); }},
  {"KTR4_unfix_speed_range", [](Out&) { return KTR4_unfix_speed_range(0, 1); }},
  {"KTR4_T_curve_position_move", [](Out&) { return KTR4_T_curve_position_move(0, 1, 1000, 0, 100, 10000, 0.1, 0.1); }},
  {"KTR4_TR_position_move", [](Out&) { return KTR4_TR_position_move(0, 1, 1000, 100, 10000, 0.1, 0.1); }},
  {"KTR4_TA_position_move", [](Out&) { return KTR4_TA_position_move(0, 1, 1000, 100, 10000, 0.1, 0.1); }},
  {"KTR4_S_curve_position_move", [](Out&) { return KTR4_S_curve_position_move(0, 1, 1000, 0, 100, 10000, 0.1, 0.1, 1000, 1000); }},
  {"KTR4_SR_position_move", [](Out&) { return KTR4_SR_position_move(0, 1, 1000, 100, 10000, 0.1, 0.1, 1000, 1000); }},
  {"KTR4_SA_position_move", [](Out&) { return KTR4_SA_position_move(0, 1, 1000, 100, 10000, 0.1, 0.1, 1000, 1000); }},
  {"KTR4_position_change", [](Out&) { return KTR4_position_change(0, 1, 500, 0); }, kRunningAxes},
  {"KTR4_T_velocity_move", [](Out&) { return KTR4_T_velocity_move(0, 1, 100, 10000, 0.1); }},
  {"KTR4_S_velocity_move", [](Out&) { return KTR4_S_velocity_move(0, 1, 100, 10000, 0.1, 1000); }},
  {"KTR4_velocity_change", [](Out&) { return KTR4_velocity_change(0, 1, 20000, 0.1); }, kRunningAxes},
  {"KTR4_dec_stop", [](Out&) { return KTR4_dec_stop(0, 1, 0.1); }, kRunningAxes, 0x024A},
  {"KTR4_config_home_mode", [](Out&) { return KTR4_config_home_mode(0, 1, 3, 2); }},
  {"KTR4_start_homing", [](Out&) { return KTR4_start_homing(0, 1, 100, 10000, 0.1, 0); }},
  {"KTR4_start_origin_search_homing", [](Out&) { return KTR4_start_origin_search_homing(0, 1, 100, 10000, 0.1, 0, 500); }},
  {"KTR4_config_pulser_mode", [](Out&) { return KTR4_config_pulser_mode(0, 1, 1, 1); }},
  {"KTR4_readback_pulser_mode", [](Out& o) { return KTR4_readback_pulser_mode(0, 1, &o.b[0], &o.b[1]); }},
  {"KTR4_read_pulser_counter", [](Out& o) { return KTR4_read_pulser_counter(0, 1, &o.i[0]); }},
  {"KTR4_set_pulser_counter", [](Out&) { return KTR4_set_pulser_counter(0, 1, 5); }},
  {"KTR4_run_pulser_Vmove", [](Out&) { return KTR4_run_pulser_Vmove(0, 1, 1000); }},
  {"KTR4_run_pulser_Pmove", [](Out&) { return KTR4_run_pulser_Pmove(0, 1, 100, 0, 1000); }},
  {"KTR4_set_pulser_Map", [](Out&) { return KTR4_set_pulser_Map(0, 1, 0, 0); }},
  {"KTR4_enable_pulser_motion", [](Out&) { return KTR4_enable_pulser_motion(0, 1, 1, 1); }},
  {"KTR4_enable_IRQ", [](Out& o) { return KTR4_enable_IRQ(0, &o.event); }},
  {"KTR4_disable_IRQ", [](Out&) { return KTR4_disable_IRQ(0); }, kInterruptEnabled},
  {"KTR4_set_INT_mask", [](Out&) { return KTR4_set_INT_mask(0, 1, 0); }},
  {"KTR4_set_INT_source", [](Out&) { return KTR4_set_INT_source(0, 1, 1, 1); }},
  {"KTR4_link_IRQ_process", [](Out&) { return KTR4_link_IRQ_process(0, no_callback); }},
  {"KTR4_read_INT_status", [](Out& o) { return KTR4_read_INT_status(0, 1, &o.b[0], &o.u[0], &o.u[1]); }},
  {"KTR4_backlash_comp", [](Out&) { return KTR4_backlash_comp(0, 1, 100, 1, 1000); }},
  {"KTR4_readback_backlash_comp", [](Out& o) { return KTR4_readback_backlash_comp(0, 1, &o.h[0], &o.b[0], &o.u[0]); }},
  {"KTR4_suppress_vibration", [](Out&) { return KTR4_suppress_vibration(0, 1, 10, 20); }},
  {"KTR4_readback_suppress_vibration", [](Out& o) { return KTR4_readback_suppress_vibration(0, 1, &o.h[0], &o.h[1]); }},
  {"KTR4_set_continuous_flag", [](Out&) { return KTR4_set_continuous_flag(0, 1, 1); }},
  {"KTR4_check_continuous_buffer", [](Out& o) { return KTR4_check_continuous_buffer(0, 1, &o.b[0]); }},
  {"KTR4_trigger_CSTA_pulse", [](Out&) { return KTR4_trigger_CSTA_pulse(0); }},
  {"KTR4_wait_CSTA_signal", [](Out&) { return KTR4_wait_CSTA_signal(0); }},
  {"KTR4_trigger_CSTP_pulse", [](Out&) { return KTR4_trigger_CSTP_pulse(0); }},
  {"KTR4_imd_stop", [](Out&) { return KTR4_imd_stop(0, 1); }, kRunningAxes, 0x0249},
  {"KTR4_emg_stop", [](Out&) { return KTR4_emg_stop(0); }, kRunningAxes, 0x0F05},
  {"KTR4_read_speed", [](Out& o) { return KTR4_read_speed(0, 1, &o.d); }},
  {"KTR4_T_curve_move_LINE2", [](Out&) { return KTR4_T_curve_move_LINE2(0, 0, 100, 200, 0, 100, 10000, 0.1, 0.1); }},
  {"KTR4_S_curve_move_LINE2", [](Out&) { return KTR4_S_curve_move_LINE2(0, 0, 100, 200, 0, 100, 10000, 0.1, 0.1, 1000, 1000); }},
  {"KTR4_T_curve_move_XY", [](Out&) { return KTR4_T_curve_move_XY(0, 100, 200, 0, 100, 10000, 0.1, 0.1); }},
  {"KTR4_T_curve_move_ZA", [](Out&) { return KTR4_T_curve_move_ZA(0, 100, 200, 0, 100, 10000, 0.1, 0.1); }},
  {"KTR4_S_curve_move_XY", [](Out&) { return KTR4_S_curve_move_XY(0, 100, 200, 0, 100, 10000, 0.1, 0.1, 1000, 1000); }},
  {"KTR4_S_curve_move_ZA", [](Out&) { return KTR4_S_curve_move_ZA(0, 100, 200, 0, 100, 10000, 0.1, 0.1, 1000, 1000); }},
  {"KTR4_T_curve_move_LINE3", [](Out&) { return KTR4_T_curve_move_LINE3(0, 1, 100, 200, 300, 0, 100, 10000, 0.1, 0.1); }},
  {"KTR4_S_curve_move_LINE3", [](Out&) { return KTR4_S_curve_move_LINE3(0, 1, 100, 200, 300, 0, 100, 10000, 0.1, 0.1, 1000, 1000); }},
  {"KTR4_T_curve_move_LINE4", [](Out&) { return KTR4_T_curve_move_LINE4(0, 100, 200, 300, 400, 0, 100, 10000, 0.1, 0.1); }},
  {"KTR4_S_curve_move_LINE4", [](Out&) { return KTR4_S_curve_move_LINE4(0, 100, 200, 300, 400, 0, 100, 10000, 0.1, 0.1, 1000, 1000); }},
  {"KTR4_ARC2_center_move", [](Out&) { return KTR4_ARC2_center_move(0, 1, 100, 0, 200, 0, 0, 10000, 0); }},
  {"KTR4_ARC2_center_move (line instead)", [](Out&) { return line_instead(KTR4_ARC2_center_move(0, 1, 0, 100, 0, 200, 0, 10000, 0)); }},
  {"KTR4_ARC_center_move_XY", [](Out&) { return KTR4_ARC_center_move_XY(0, 100, 0, 200, 0, 0, 10000, 0); }},
  {"KTR4_ARC_center_move_ZA", [](Out&) { return KTR4_ARC_center_move_ZA(0, 100, 0, 200, 0, 0, 10000, 0); }},
  {"KTR4_ARC2_3P_move", [](Out&) { return KTR4_ARC2_3P_move(0, 1, 100, 100, 200, 0, 0, 10000); }},
  {"KTR4_ARC2_3P_move (line instead)", [](Out&) { return line_instead(KTR4_ARC2_3P_move(0, 1, 100, 0, 200, 0, 0, 10000)); }},
  {"KTR4_ARC_3P_move_XY", [](Out&) { return KTR4_ARC_3P_move_XY(0, 100, 100, 200, 0, 0, 10000); }},
  {"KTR4_ARC_3P_move_ZA", [](Out&) { return KTR4_ARC_3P_move_ZA(0, 100, 100, 200, 0, 0, 10000); }},
  {"KTR4_CIR2_3P_move", [](Out&) { return KTR4_CIR2_3P_move(0, 1, 100, 100, 200, 0, 0, 10000); }},
  {"KTR4_correct_current_POS", [](Out&) { return KTR4_correct_current_POS(0, 1); }},
  {"KTR4_OnLine_T_curve_change", [](Out&) { return KTR4_OnLine_T_curve_change(0, 1, 2000, 0, 100, 10000, 0.1, 0.1); }, kRunningAxes},
  {"KTR4_OnLine_T_curve_change_LINE2", [](Out&) { return KTR4_OnLine_T_curve_change_LINE2(0, 1, 100, 200, 0, 100, 10000, 0.1, 0.1); }, kRunningAxes},
  {"KTR4_OnLine_T_curve_change_LINE3", [](Out&) { return KTR4_OnLine_T_curve_change_LINE3(0, 1, 100, 200, 300, 0, 100, 10000, 0.1, 0.1); }, kRunningAxes},
  {"KTR4_OnLine_T_curve_change_LINE4", [](Out&) { return KTR4_OnLine_T_curve_change_LINE4(0, 100, 200, 300, 400, 0, 100, 10000, 0.1, 0.1); }, kRunningAxes},
};
// clang-format on

class FailureSweep : public ktr4test::SimCardTest {
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
        ASSERT_EQ(e.call(clean), KTR4_OK);
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
            EXPECT_EQ(e.call(out), kInjected);
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
