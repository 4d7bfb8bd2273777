// Times and speeds that cannot be meant are refused with 302 before anything reaches the
// card, in every export that takes them; 0 s keeps its meaning.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "ktr4.h"
#include "ktr4sim.h"
#include "sim_fixture.h"

namespace {

// An export with its time arguments set to `a` and `d` (the second where it has one).
struct TimedExport {
    const char* name;
    std::function<int32_t(double a, double d)> call;
    bool running = false;  // changes and stops need a running axis
    bool one_time = false;  // takes one time only (`a`)
};

// clang-format off
const TimedExport kTimed[] = {
  {"T_curve_position_move", [](double a, double d) { return KTR4_T_curve_position_move(0, 1, 1000, 0, 100, 10000, a, d); }},
  {"TR_position_move", [](double a, double d) { return KTR4_TR_position_move(0, 1, 1000, 100, 10000, a, d); }},
  {"TA_position_move", [](double a, double d) { return KTR4_TA_position_move(0, 1, 1000, 100, 10000, a, d); }},
  {"S_curve_position_move", [](double a, double d) { return KTR4_S_curve_position_move(0, 1, 1000, 0, 100, 10000, a, d, 100, 100); }},
  {"SR_position_move", [](double a, double d) { return KTR4_SR_position_move(0, 1, 1000, 100, 10000, a, d, 100, 100); }},
  {"SA_position_move", [](double a, double d) { return KTR4_SA_position_move(0, 1, 1000, 100, 10000, a, d, 100, 100); }},
  {"T_velocity_move", [](double a, double) { return KTR4_T_velocity_move(0, 1, 100, 10000, a); }, false, true},
  {"S_velocity_move", [](double a, double) { return KTR4_S_velocity_move(0, 1, 100, 10000, a, 100); }, false, true},
  {"velocity_change", [](double a, double) { return KTR4_velocity_change(0, 1, 20000, a); }, true, true},
  {"dec_stop", [](double a, double) { return KTR4_dec_stop(0, 1, a); }, true, true},
  {"start_homing", [](double a, double) { return KTR4_start_homing(0, 1, 100, 10000, a, 0); }, false, true},
  {"start_origin_search_homing", [](double a, double) { return KTR4_start_origin_search_homing(0, 1, 100, 10000, a, 0, 500); }, false, true},
  {"T_curve_move_LINE2", [](double a, double d) { return KTR4_T_curve_move_LINE2(0, 0, 100, 200, 0, 100, 10000, a, d); }},
  {"S_curve_move_LINE2", [](double a, double d) { return KTR4_S_curve_move_LINE2(0, 0, 100, 200, 0, 100, 10000, a, d, 100, 100); }},
  {"T_curve_move_XY", [](double a, double d) { return KTR4_T_curve_move_XY(0, 100, 200, 0, 100, 10000, a, d); }},
  {"T_curve_move_ZA", [](double a, double d) { return KTR4_T_curve_move_ZA(0, 100, 200, 0, 100, 10000, a, d); }},
  {"S_curve_move_XY", [](double a, double d) { return KTR4_S_curve_move_XY(0, 100, 200, 0, 100, 10000, a, d, 100, 100); }},
  {"S_curve_move_ZA", [](double a, double d) { return KTR4_S_curve_move_ZA(0, 100, 200, 0, 100, 10000, a, d, 100, 100); }},
  {"T_curve_move_LINE3", [](double a, double d) { return KTR4_T_curve_move_LINE3(0, 0, 1, 2, 3, 0, 100, 10000, a, d); }},
  {"S_curve_move_LINE3", [](double a, double d) { return KTR4_S_curve_move_LINE3(0, 0, 1, 2, 3, 0, 100, 10000, a, d, 100, 100); }},
  {"T_curve_move_LINE4", [](double a, double d) { return KTR4_T_curve_move_LINE4(0, 1, 2, 3, 4, 0, 100, 10000, a, d); }},
  {"S_curve_move_LINE4", [](double a, double d) { return KTR4_S_curve_move_LINE4(0, 1, 2, 3, 4, 0, 100, 10000, a, d, 100, 100); }},
  {"OnLine_T_curve_change", [](double a, double d) { return KTR4_OnLine_T_curve_change(0, 1, 2000, 0, 100, 10000, a, d); }, true},
  {"OnLine_T_curve_change_LINE2", [](double a, double d) { return KTR4_OnLine_T_curve_change_LINE2(0, 0, 1, 2, 0, 100, 10000, a, d); }, true},
  {"OnLine_T_curve_change_LINE3", [](double a, double d) { return KTR4_OnLine_T_curve_change_LINE3(0, 0, 1, 2, 3, 0, 100, 10000, a, d); }, true},
  {"OnLine_T_curve_change_LINE4", [](double a, double d) { return KTR4_OnLine_T_curve_change_LINE4(0, 1, 2, 3, 4, 0, 100, 10000, a, d); }, true},
};
// clang-format on

class ArgumentRange : public ktr4test::OneCardTest {
protected:
    void axes_running(bool running)
    {
        for (uint32_t a = 0; a < 4; ++a)
            set_status(0, a, KTR4SIM_MAIN_STATUS, running ? 0 : 0x0008);
        ktr4sim_trace_clear();
    }
};

TEST_F(ArgumentRange, TimesThatCannotBeMeantAreRefusedBeforeAnythingIsSent)
{
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    for (const TimedExport& e : kTimed) {
        SCOPED_TRACE(e.name);
        for (double bad : {nan, inf, -inf, -0.1, -1e-300}) {
            SCOPED_TRACE(bad);
            for (const auto& [a, d] : {std::pair(bad, 0.1), std::pair(0.1, bad)}) {
                if (e.one_time && a == 0.1)
                    continue;
                axes_running(e.running);
                EXPECT_EQ(e.call(a, d), KTR4_ERR_RANGE);
                EXPECT_TRUE(trace().empty());
            }
        }
        axes_running(e.running);
        EXPECT_EQ(e.call(0.0, 0.0), KTR4_OK);  // no ramp at all
        EXPECT_FALSE(trace().empty());
    }
}

TEST_F(ArgumentRange, SpeedsOutsideTheirRangeAreRefusedBeforeAnythingIsSent)
{
    const std::function<int32_t()> refused[] = {
        [] { return KTR4_T_curve_position_move(0, 1, 1000, 0, 100, 0, 0.1, 0.1); },  // would creep for ever
        [] { return KTR4_S_curve_position_move(0, 1, 1000, 1, 100, 0, 0.1, 0.1, 0, 0); },
        [] { return KTR4_T_curve_move_LINE2(0, 0, 100, 200, 0, 100, 0, 0.1, 0.1); },
        [] { return KTR4_ARC2_center_move(0, 0, 100, 0, 200, 0, 0, 0, 0); },
        [] { return KTR4_T_curve_position_move(0, 1, 1000, 0, 6553501, 10000, 0.1, 0.1); },
        [] { return KTR4_S_curve_move_LINE4(0, 1, 2, 3, 4, 0, -6553501, 10000, 0.1, 0.1, 0, 0); },
        [] { return KTR4_start_homing(0, 1, 6553501, 10000, 0.1, 0); },
        [] { return KTR4_start_homing(0, 1, 100, 6553501, 0.1, 0); },
        [] { return KTR4_T_velocity_move(0, 1, 6553501, 10000, 0.1); },
        [] { return KTR4_T_velocity_move(0, 1, 0, -6553501, 0.1); },
        [] { return KTR4_S_velocity_move(0, 1, 6553501, 100, 0.1, 0); },
        [] { return KTR4_velocity_change(0, 1, -6553501, 0.1); },
    };
    for (size_t i = 0; i < std::size(refused); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(refused[i](), KTR4_ERR_RANGE);
        EXPECT_TRUE(register_writes().empty());
        EXPECT_TRUE(commands().empty());
    }
    axes_running(true);
    EXPECT_EQ(KTR4_OnLine_T_curve_change(0, 1, 2000, 0, 100, 0, 0.1, 0.1), KTR4_ERR_RANGE);
    EXPECT_TRUE(trace().empty());
    // The limit itself is accepted.
    axes_running(false);
    EXPECT_EQ(KTR4_T_curve_position_move(0, 1, 1000, 0, 6553500, 6553500, 0.1, 0.1), KTR4_OK);
}

}  // namespace
