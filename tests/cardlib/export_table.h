// Every export of the library with arguments that succeed on one initialised card (card 0 in
// the failure sweep), as a table the tests walk: each takes the card number to call.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>

#include <unistd.h>

#include "ktr4.h"

namespace ktr4test {

// The caller's variables, filled with a pattern no export writes, compared byte for byte.
struct Out {
    Out() { std::memset(static_cast<void*>(this), 0xA5, sizeof *this); }
    bool untouched() const
    {
        const Out pristine;
        // Byte for byte on purpose: both were filled whole by the constructor, padding included.
        return std::memcmp(this, &pristine, sizeof *this) == 0;  // NOLINT(bugprone-suspicious-memory-comparison)
    }
    uint8_t b[5];
    uint16_t h[2];
    int32_t i[2];
    uint32_t u[2];
    double d;
    KTR4_EVENT event;
};

// What an export needs before it is called; the first entries take no card number at all.
enum Setup : uint8_t { kTakesNoCard, kStoppedAxes, kRunningAxes, kSavedFile, kInterruptEnabled };

struct Export {
    const char* name;
    std::function<int32_t(uint32_t card, Out&)> call;
    Setup setup = kStoppedAxes;
    uint16_t stop_command = 0;  // a command word the export sends even after a failure
};

inline std::string config_path()
{
    return "/tmp/ktr4-sweep-" + std::to_string(::getpid()) + ".cfg";
}

inline void KTR4_CALL no_callback(uint8_t) { }

// An arc that runs a line instead reports 308 when the line succeeded.
inline int32_t line_instead(int32_t rc)
{
    return rc == KTR4_ERR_ARC_GEOMETRY ? KTR4_OK : rc;
}

// clang-format off
inline const Export kExports[] = {
  {"KTR4_initial", [](uint32_t, Out&) { return KTR4_initial(); }, kTakesNoCard},
  {"KTR4_init_card", [](uint32_t c, Out&) { return KTR4_init_card(c); }},
  {"KTR4_close", [](uint32_t, Out&) { return KTR4_close(); }, kTakesNoCard},
  {"KTR4_info", [](uint32_t c, Out& o) { return KTR4_info(c, &o.h[0]); }},
  {"KTR4_set_pulse_outmode", [](uint32_t c, Out&) { return KTR4_set_pulse_outmode(c, 1, 2); }},
  {"KTR4_readback_pulse_outmode", [](uint32_t c, Out& o) { return KTR4_readback_pulse_outmode(c, 1, &o.b[0]); }},
  {"KTR4_set_pulse_inmode", [](uint32_t c, Out&) { return KTR4_set_pulse_inmode(c, 1, 1, 1); }},
  {"KTR4_readback_pulse_inmode", [](uint32_t c, Out& o) { return KTR4_readback_pulse_inmode(c, 1, &o.b[0], &o.b[1]); }},
  {"KTR4_config_SD_PIN", [](uint32_t c, Out&) { return KTR4_config_SD_PIN(c, 1, 1, 1, 0, 1); }},
  {"KTR4_readback_SD_PIN", [](uint32_t c, Out& o) { return KTR4_readback_SD_PIN(c, 1, &o.b[0], &o.b[1], &o.b[2], &o.b[3], &o.b[4]); }},
  {"KTR4_config_PCS_PIN", [](uint32_t c, Out&) { return KTR4_config_PCS_PIN(c, 1, 1, 1); }},
  {"KTR4_readback_PCS_PIN", [](uint32_t c, Out& o) { return KTR4_readback_PCS_PIN(c, 1, &o.b[0], &o.b[1], &o.b[2]); }},
  {"KTR4_config_INP_PIN", [](uint32_t c, Out&) { return KTR4_config_INP_PIN(c, 1, 1, 1); }},
  {"KTR4_readback_INP_PIN", [](uint32_t c, Out& o) { return KTR4_readback_INP_PIN(c, 1, &o.b[0], &o.b[1], &o.b[2]); }},
  {"KTR4_config_ERC_PIN", [](uint32_t c, Out&) { return KTR4_config_ERC_PIN(c, 1, 1, 0, 3, 2); }},
  {"KTR4_readback_ERC_PIN", [](uint32_t c, Out& o) { return KTR4_readback_ERC_PIN(c, 1, &o.b[0], &o.b[1], &o.b[2], &o.b[3], &o.b[4]); }},
  {"KTR4_config_ALM_PIN", [](uint32_t c, Out&) { return KTR4_config_ALM_PIN(c, 1, 1, 0); }},
  {"KTR4_readback_ALM_PIN", [](uint32_t c, Out& o) { return KTR4_readback_ALM_PIN(c, 1, &o.b[0], &o.b[1], &o.b[2]); }},
  {"KTR4_config_LTC_PIN", [](uint32_t c, Out&) { return KTR4_config_LTC_PIN(c, 1, 1, 1); }},
  {"KTR4_readback_LTC_PIN", [](uint32_t c, Out& o) { return KTR4_readback_LTC_PIN(c, 1, &o.b[0], &o.b[1], &o.b[2]); }},
  {"KTR4_config_CMP_OUT", [](uint32_t c, Out&) { return KTR4_config_CMP_OUT(c, 1, 1); }},
  {"KTR4_readback_CMP_OUT", [](uint32_t c, Out& o) { return KTR4_readback_CMP_OUT(c, 1, &o.b[0], &o.b[1]); }},
  {"KTR4_config_EL_MODE", [](uint32_t c, Out&) { return KTR4_config_EL_MODE(c, 1, 1); }},
  {"KTR4_readback_EL_MODE", [](uint32_t c, Out& o) { return KTR4_readback_EL_MODE(c, 1, &o.b[0]); }},
  {"KTR4_set_HOME_pin_logic", [](uint32_t c, Out&) { return KTR4_set_HOME_pin_logic(c, 1, 1); }},
  {"KTR4_readback_HOME_pin_logic", [](uint32_t c, Out& o) { return KTR4_readback_HOME_pin_logic(c, 1, &o.b[0]); }},
  {"KTR4_set_EZ_pin_logic", [](uint32_t c, Out&) { return KTR4_set_EZ_pin_logic(c, 1, 1); }},
  {"KTR4_readback_EZ_pin_logic", [](uint32_t c, Out& o) { return KTR4_readback_EZ_pin_logic(c, 1, &o.b[0]); }},
  {"KTR4_config_TTL_IO_MODE", [](uint32_t c, Out&) { return KTR4_config_TTL_IO_MODE(c, 3); }},
  {"KTR4_readback_TTL_IO_MODE", [](uint32_t c, Out& o) { return KTR4_readback_TTL_IO_MODE(c, &o.b[0]); }},
  {"KTR4_save_config2_file", [](uint32_t c, Out&) { return KTR4_save_config2_file(c, config_path().c_str()); }},
  {"KTR4_load_config_from_file", [](uint32_t c, Out&) { return KTR4_load_config_from_file(c, config_path().c_str()); }, kSavedFile},
  {"KTR4_read_current_position", [](uint32_t c, Out& o) { return KTR4_read_current_position(c, 1, &o.i[0]); }},
  {"KTR4_set_current_position", [](uint32_t c, Out&) { return KTR4_set_current_position(c, 1, 5); }},
  {"KTR4_read_FB_counter", [](uint32_t c, Out& o) { return KTR4_read_FB_counter(c, 1, &o.i[0]); }},
  {"KTR4_set_FB_counter", [](uint32_t c, Out&) { return KTR4_set_FB_counter(c, 1, 5); }},
  {"KTR4_read_FBcounter_latch_value", [](uint32_t c, Out& o) { return KTR4_read_FBcounter_latch_value(c, 1, &o.i[0]); }},
  {"KTR4_config_comparator_out", [](uint32_t c, Out&) { return KTR4_config_comparator_out(c, 1, 1, 2, 1); }},
  {"KTR4_readback_comparator_out", [](uint32_t c, Out& o) { return KTR4_readback_comparator_out(c, 1, &o.b[0], &o.b[1], &o.b[2]); }},
  {"KTR4_set_comparator_data", [](uint32_t c, Out&) { return KTR4_set_comparator_data(c, 1, 5); }},
  {"KTR4_readback_comparator_data", [](uint32_t c, Out& o) { return KTR4_readback_comparator_data(c, 1, &o.i[0]); }},
  {"KTR4_read_compare_flag", [](uint32_t c, Out& o) { return KTR4_read_compare_flag(c, 1, &o.b[0]); }},
  {"KTR4_set_event_factor", [](uint32_t c, Out&) { return KTR4_set_event_factor(c, 1, 1); }},
  {"KTR4_read_event_flag", [](uint32_t c, Out& o) { return KTR4_read_event_flag(c, 1, &o.u[0]); }},
  {"KTR4_read_error_flag", [](uint32_t c, Out& o) { return KTR4_read_error_flag(c, 1, &o.u[0]); }},
  {"KTR4_config_softlimit", [](uint32_t c, Out&) { return KTR4_config_softlimit(c, 1, 1, 2); }},
  {"KTR4_readback_config_softlimit", [](uint32_t c, Out& o) { return KTR4_readback_config_softlimit(c, 1, &o.b[0], &o.b[1]); }},
  {"KTR4_set_softlimit_data", [](uint32_t c, Out&) { return KTR4_set_softlimit_data(c, 1, 123456, -654321); }},
  {"KTR4_readback_softlimit_data", [](uint32_t c, Out& o) { return KTR4_readback_softlimit_data(c, 1, &o.i[0], &o.i[1]); }},
  {"KTR4_enable_softlimit", [](uint32_t c, Out&) { return KTR4_enable_softlimit(c, 1, 1); }},
  {"KTR4_readback_enable_softlimit", [](uint32_t c, Out& o) { return KTR4_readback_enable_softlimit(c, 1, &o.b[0]); }},
  {"KTR4_read_softlimit_flag", [](uint32_t c, Out& o) { return KTR4_read_softlimit_flag(c, 1, &o.b[0], &o.b[1]); }},
  {"KTR4_read_motion_status", [](uint32_t c, Out& o) { return KTR4_read_motion_status(c, 1, 0, &o.b[0]); }},
  {"KTR4_read_point_status", [](uint32_t c, Out& o) { return KTR4_read_point_status(c, 1, 3, &o.b[0]); }},
  {"KTR4_read_point_status (switch input)", [](uint32_t c, Out& o) { return KTR4_read_point_status(c, 1, 18, &o.b[0]); }},
  {"KTR4_write_output_point", [](uint32_t c, Out&) { return KTR4_write_output_point(c, 1, 2, 1); }},
  {"KTR4_fix_speed_range", [](uint32_t c, Out&) { return KTR4_fix_speed_range(c, 1, 10000); }},
  {"KTR4_unfix_speed_range", [](uint32_t c, Out&) { return KTR4_unfix_speed_range(c, 1); }},
  {"KTR4_T_curve_position_move", [](uint32_t c, Out&) { return KTR4_T_curve_position_move(c, 1, 1000, 0, 100, 10000, 0.1, 0.1); }},
  {"KTR4_TR_position_move", [](uint32_t c, Out&) { return KTR4_TR_position_move(c, 1, 1000, 100, 10000, 0.1, 0.1); }},
  {"KTR4_TA_position_move", [](uint32_t c, Out&) { return KTR4_TA_position_move(c, 1, 1000, 100, 10000, 0.1, 0.1); }},
  {"KTR4_S_curve_position_move", [](uint32_t c, Out&) { return KTR4_S_curve_position_move(c, 1, 1000, 0, 100, 10000, 0.1, 0.1, 1000, 1000); }},
  {"KTR4_SR_position_move", [](uint32_t c, Out&) { return KTR4_SR_position_move(c, 1, 1000, 100, 10000, 0.1, 0.1, 1000, 1000); }},
  {"KTR4_SA_position_move", [](uint32_t c, Out&) { return KTR4_SA_position_move(c, 1, 1000, 100, 10000, 0.1, 0.1, 1000, 1000); }},
  {"KTR4_position_change", [](uint32_t c, Out&) { return KTR4_position_change(c, 1, 500, 0); }, kRunningAxes},
  {"KTR4_T_velocity_move", [](uint32_t c, Out&) { return KTR4_T_velocity_move(c, 1, 100, 10000, 0.1); }},
  {"KTR4_S_velocity_move", [](uint32_t c, Out&) { return KTR4_S_velocity_move(c, 1, 100, 10000, 0.1, 1000); }},
  {"KTR4_velocity_change", [](uint32_t c, Out&) { return KTR4_velocity_change(c, 1, 20000, 0.1); }, kRunningAxes},
  {"KTR4_dec_stop", [](uint32_t c, Out&) { return KTR4_dec_stop(c, 1, 0.1); }, kRunningAxes, 0x024A},
  {"KTR4_config_home_mode", [](uint32_t c, Out&) { return KTR4_config_home_mode(c, 1, 3, 2); }},
  {"KTR4_start_homing", [](uint32_t c, Out&) { return KTR4_start_homing(c, 1, 100, 10000, 0.1, 0); }},
  {"KTR4_start_origin_search_homing", [](uint32_t c, Out&) { return KTR4_start_origin_search_homing(c, 1, 100, 10000, 0.1, 0, 500); }},
  {"KTR4_config_pulser_mode", [](uint32_t c, Out&) { return KTR4_config_pulser_mode(c, 1, 1, 1); }},
  {"KTR4_readback_pulser_mode", [](uint32_t c, Out& o) { return KTR4_readback_pulser_mode(c, 1, &o.b[0], &o.b[1]); }},
  {"KTR4_read_pulser_counter", [](uint32_t c, Out& o) { return KTR4_read_pulser_counter(c, 1, &o.i[0]); }},
  {"KTR4_set_pulser_counter", [](uint32_t c, Out&) { return KTR4_set_pulser_counter(c, 1, 5); }},
  {"KTR4_run_pulser_Vmove", [](uint32_t c, Out&) { return KTR4_run_pulser_Vmove(c, 1, 1000); }},
  {"KTR4_run_pulser_Pmove", [](uint32_t c, Out&) { return KTR4_run_pulser_Pmove(c, 1, 100, 0, 1000); }},
  {"KTR4_set_pulser_Map", [](uint32_t c, Out&) { return KTR4_set_pulser_Map(c, 1, 0, 0); }},
  {"KTR4_enable_pulser_motion", [](uint32_t c, Out&) { return KTR4_enable_pulser_motion(c, 1, 1, 1); }},
  {"KTR4_enable_IRQ", [](uint32_t c, Out& o) { return KTR4_enable_IRQ(c, &o.event); }},
  {"KTR4_disable_IRQ", [](uint32_t c, Out&) { return KTR4_disable_IRQ(c); }, kInterruptEnabled},
  {"KTR4_set_INT_mask", [](uint32_t c, Out&) { return KTR4_set_INT_mask(c, 1, 0); }},
  {"KTR4_set_INT_source", [](uint32_t c, Out&) { return KTR4_set_INT_source(c, 1, 1, 1); }},
  {"KTR4_link_IRQ_process", [](uint32_t c, Out&) { return KTR4_link_IRQ_process(c, no_callback); }},
  {"KTR4_read_INT_status", [](uint32_t c, Out& o) { return KTR4_read_INT_status(c, 1, &o.b[0], &o.u[0], &o.u[1]); }},
  {"KTR4_backlash_comp", [](uint32_t c, Out&) { return KTR4_backlash_comp(c, 1, 100, 1, 1000); }},
  {"KTR4_readback_backlash_comp", [](uint32_t c, Out& o) { return KTR4_readback_backlash_comp(c, 1, &o.h[0], &o.b[0], &o.u[0]); }},
  {"KTR4_suppress_vibration", [](uint32_t c, Out&) { return KTR4_suppress_vibration(c, 1, 10, 20); }},
  {"KTR4_readback_suppress_vibration", [](uint32_t c, Out& o) { return KTR4_readback_suppress_vibration(c, 1, &o.h[0], &o.h[1]); }},
  {"KTR4_set_continuous_flag", [](uint32_t c, Out&) { return KTR4_set_continuous_flag(c, 1, 1); }},
  {"KTR4_check_continuous_buffer", [](uint32_t c, Out& o) { return KTR4_check_continuous_buffer(c, 1, &o.b[0]); }},
  {"KTR4_trigger_CSTA_pulse", [](uint32_t c, Out&) { return KTR4_trigger_CSTA_pulse(c); }},
  {"KTR4_wait_CSTA_signal", [](uint32_t c, Out&) { return KTR4_wait_CSTA_signal(c); }},
  {"KTR4_trigger_CSTP_pulse", [](uint32_t c, Out&) { return KTR4_trigger_CSTP_pulse(c); }},
  {"KTR4_imd_stop", [](uint32_t c, Out&) { return KTR4_imd_stop(c, 1); }, kRunningAxes, 0x0249},
  {"KTR4_emg_stop", [](uint32_t c, Out&) { return KTR4_emg_stop(c); }, kRunningAxes, 0x0F05},
  {"KTR4_read_speed", [](uint32_t c, Out& o) { return KTR4_read_speed(c, 1, &o.d); }},
  {"KTR4_T_curve_move_LINE2", [](uint32_t c, Out&) { return KTR4_T_curve_move_LINE2(c, 0, 100, 200, 0, 100, 10000, 0.1, 0.1); }},
  {"KTR4_S_curve_move_LINE2", [](uint32_t c, Out&) { return KTR4_S_curve_move_LINE2(c, 0, 100, 200, 0, 100, 10000, 0.1, 0.1, 1000, 1000); }},
  {"KTR4_T_curve_move_XY", [](uint32_t c, Out&) { return KTR4_T_curve_move_XY(c, 100, 200, 0, 100, 10000, 0.1, 0.1); }},
  {"KTR4_T_curve_move_ZA", [](uint32_t c, Out&) { return KTR4_T_curve_move_ZA(c, 100, 200, 0, 100, 10000, 0.1, 0.1); }},
  {"KTR4_S_curve_move_XY", [](uint32_t c, Out&) { return KTR4_S_curve_move_XY(c, 100, 200, 0, 100, 10000, 0.1, 0.1, 1000, 1000); }},
  {"KTR4_S_curve_move_ZA", [](uint32_t c, Out&) { return KTR4_S_curve_move_ZA(c, 100, 200, 0, 100, 10000, 0.1, 0.1, 1000, 1000); }},
  {"KTR4_T_curve_move_LINE3", [](uint32_t c, Out&) { return KTR4_T_curve_move_LINE3(c, 1, 100, 200, 300, 0, 100, 10000, 0.1, 0.1); }},
  {"KTR4_S_curve_move_LINE3", [](uint32_t c, Out&) { return KTR4_S_curve_move_LINE3(c, 1, 100, 200, 300, 0, 100, 10000, 0.1, 0.1, 1000, 1000); }},
  {"KTR4_T_curve_move_LINE4", [](uint32_t c, Out&) { return KTR4_T_curve_move_LINE4(c, 100, 200, 300, 400, 0, 100, 10000, 0.1, 0.1); }},
  {"KTR4_S_curve_move_LINE4", [](uint32_t c, Out&) { return KTR4_S_curve_move_LINE4(c, 100, 200, 300, 400, 0, 100, 10000, 0.1, 0.1, 1000, 1000); }},
  {"KTR4_ARC2_center_move", [](uint32_t c, Out&) { return KTR4_ARC2_center_move(c, 1, 100, 0, 200, 0, 0, 10000, 0); }},
  {"KTR4_ARC2_center_move (line instead)", [](uint32_t c, Out&) { return line_instead(KTR4_ARC2_center_move(c, 1, 0, 100, 0, 200, 0, 10000, 0)); }},
  {"KTR4_ARC_center_move_XY", [](uint32_t c, Out&) { return KTR4_ARC_center_move_XY(c, 100, 0, 200, 0, 0, 10000, 0); }},
  {"KTR4_ARC_center_move_ZA", [](uint32_t c, Out&) { return KTR4_ARC_center_move_ZA(c, 100, 0, 200, 0, 0, 10000, 0); }},
  {"KTR4_ARC2_3P_move", [](uint32_t c, Out&) { return KTR4_ARC2_3P_move(c, 1, 100, 100, 200, 0, 0, 10000); }},
  {"KTR4_ARC2_3P_move (line instead)", [](uint32_t c, Out&) { return line_instead(KTR4_ARC2_3P_move(c, 1, 100, 0, 200, 0, 0, 10000)); }},
  {"KTR4_ARC_3P_move_XY", [](uint32_t c, Out&) { return KTR4_ARC_3P_move_XY(c, 100, 100, 200, 0, 0, 10000); }},
  {"KTR4_ARC_3P_move_ZA", [](uint32_t c, Out&) { return KTR4_ARC_3P_move_ZA(c, 100, 100, 200, 0, 0, 10000); }},
  {"KTR4_CIR2_3P_move", [](uint32_t c, Out&) { return KTR4_CIR2_3P_move(c, 1, 100, 100, 200, 0, 0, 10000); }},
  {"KTR4_correct_current_POS", [](uint32_t c, Out&) { return KTR4_correct_current_POS(c, 1); }},
  {"KTR4_OnLine_T_curve_change", [](uint32_t c, Out&) { return KTR4_OnLine_T_curve_change(c, 1, 2000, 0, 100, 10000, 0.1, 0.1); }, kRunningAxes},
  {"KTR4_OnLine_T_curve_change_LINE2", [](uint32_t c, Out&) { return KTR4_OnLine_T_curve_change_LINE2(c, 1, 100, 200, 0, 100, 10000, 0.1, 0.1); }, kRunningAxes},
  {"KTR4_OnLine_T_curve_change_LINE3", [](uint32_t c, Out&) { return KTR4_OnLine_T_curve_change_LINE3(c, 1, 100, 200, 300, 0, 100, 10000, 0.1, 0.1); }, kRunningAxes},
  {"KTR4_OnLine_T_curve_change_LINE4", [](uint32_t c, Out&) { return KTR4_OnLine_T_curve_change_LINE4(c, 100, 200, 300, 400, 0, 100, 10000, 0.1, 0.1); }, kRunningAxes},
};
// clang-format on

}  // namespace ktr4test
