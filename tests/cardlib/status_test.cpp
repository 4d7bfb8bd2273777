// Counters, comparators, soft limits, motion status, point inputs and general outputs.
#include <gtest/gtest.h>

#include <tuple>

#include "frame/card_table.h"
#include "ktr4.h"
#include "ktr4sim.h"
#include "sim_fixture.h"

namespace {

using ktr4test::RegisterWrite;

using Status = ktr4test::OneCardTest;

TEST_F(Status, CountersRoundTripAsSignedValues)
{
    EXPECT_EQ(KTR4_set_current_position(0, 1, -123456), KTR4_OK);
    EXPECT_EQ(KTR4_set_FB_counter(0, 1, INT32_MIN), KTR4_OK);
    EXPECT_EQ(KTR4_set_comparator_data(0, 1, -1), KTR4_OK);
    EXPECT_EQ(register_writes(),
              (std::vector<RegisterWrite> {
                  {1, 0xA3, static_cast<uint32_t>(-123456)}, {1, 0xA4, 0x80000000u}, {1, 0xAB, 0xFFFFFFFFu}}));
    int32_t value = 0;
    EXPECT_EQ(KTR4_read_current_position(0, 1, &value), KTR4_OK);
    EXPECT_EQ(value, -123456);
    EXPECT_EQ(KTR4_read_FB_counter(0, 1, &value), KTR4_OK);
    EXPECT_EQ(value, INT32_MIN);
    EXPECT_EQ(KTR4_readback_comparator_data(0, 1, &value), KTR4_OK);
    EXPECT_EQ(value, -1);
    set_reg(0, 1, 0xEE, static_cast<uint32_t>(-7));
    EXPECT_EQ(KTR4_read_FBcounter_latch_value(0, 1, &value), KTR4_OK);
    EXPECT_EQ(value, -7);
}

TEST_F(Status, SetCurrentPositionKeepsTheCommandedEndEvenWhenTheWriteFails)
{
    EXPECT_EQ(KTR4_set_current_position(0, 2, 500), KTR4_OK);
    EXPECT_EQ(ktr4::axis_state(0, 2).end.commanded_end, 500);
    ktr4sim_fail(51, 808, 0, 1);
    EXPECT_EQ(KTR4_set_current_position(0, 2, 900), 808);
    EXPECT_EQ(ktr4::axis_state(0, 2).end.commanded_end, 900);
}

TEST_F(Status, SoftLimitDataReportsAFirstFailureDespiteALaterSuccess)
{
    int32_t plus = 0, minus = 0;
    ktr4sim_fail(51, 12, 0, 1);  // the + limit write fails, the - limit write succeeds
    EXPECT_EQ(KTR4_set_softlimit_data(0, 0, 100, -100), 12);
    EXPECT_EQ(KTR4_readback_softlimit_data(0, 0, &plus, &minus), KTR4_OK);
    EXPECT_EQ(std::tuple(plus, minus), std::tuple(0, -100));

    ktr4sim_fail(51, 13, 1, 1);  // now the - limit write fails
    EXPECT_EQ(KTR4_set_softlimit_data(0, 0, 100, -50), 13);
    EXPECT_EQ(KTR4_readback_softlimit_data(0, 0, &plus, &minus), KTR4_OK);
    EXPECT_EQ(std::tuple(plus, minus), std::tuple(100, -100));
    EXPECT_EQ(register_reads(), (std::vector<uint32_t> {0xE7, 0xE8, 0xE7, 0xE8}));
}

TEST_F(Status, ComparatorOutputFieldsAndRanges)
{
    set_reg(0, 3, 0xE0, 0xFFFF0000u);
    EXPECT_EQ(KTR4_config_comparator_out(0, 3, 3, 5, 2), KTR4_OK);
    EXPECT_EQ(reg(0, 3, 0xE0), 0xFFFF0000u | (3 + 5 * 8 + 2 * 64));
    uint8_t c1 = 0, c2 = 0, c3 = 0;
    EXPECT_EQ(KTR4_readback_comparator_out(0, 3, &c1, &c2, &c3), KTR4_OK);
    EXPECT_EQ(std::tuple(c1, c2, c3), std::tuple(3, 5, 2));

    ktr4sim_trace_clear();
    EXPECT_EQ(KTR4_config_comparator_out(0, 3, 4, 0, 0), KTR4_ERR_RANGE);
    EXPECT_EQ(KTR4_config_comparator_out(0, 3, 0, 6, 0), KTR4_ERR_RANGE);
    EXPECT_EQ(KTR4_config_comparator_out(0, 3, 0, 0, 3), KTR4_ERR_RANGE);
    EXPECT_EQ(KTR4_config_comparator_out(0, 4, 9, 9, 9), KTR4_ERR_AXIS);  // axis before range
    EXPECT_TRUE(trace().empty());
}

TEST_F(Status, EventFactorIsMaskedAndFlagWordsAreWhole)
{
    EXPECT_EQ(KTR4_set_event_factor(0, 0, 0xFFFFFFFFu), KTR4_OK);
    EXPECT_EQ(register_writes(), (std::vector<RegisterWrite> {{0, 0xAC, 0x00055BF3u}}));
    set_reg(0, 2, 0xF2, 0xDEADBEEFu);
    set_reg(0, 2, 0xF3, 0x01234567u);
    uint32_t flags = 0;
    EXPECT_EQ(KTR4_read_error_flag(0, 2, &flags), KTR4_OK);
    EXPECT_EQ(flags, 0xDEADBEEFu);
    EXPECT_EQ(KTR4_read_event_flag(0, 2, &flags), KTR4_OK);
    EXPECT_EQ(flags, 0x01234567u);
}

TEST_F(Status, SoftLimitConfigurationEnablesAndDisables)
{
    set_reg(0, 1, 0xDF, 0xABCD0000u);  // bits 16-31 are left alone throughout
    EXPECT_EQ(KTR4_config_softlimit(0, 1, 1, 2), KTR4_OK);
    EXPECT_EQ(reg(0, 1, 0xDF), 0xABCD5959u);
    uint8_t s1 = 0, s2 = 0, enabled = 0;
    EXPECT_EQ(KTR4_readback_config_softlimit(0, 1, &s1, &s2), KTR4_OK);
    EXPECT_EQ(std::tuple(s1, s2), std::tuple(1, 2));
    EXPECT_EQ(KTR4_readback_enable_softlimit(0, 1, &enabled), KTR4_OK);
    EXPECT_EQ(enabled, 1);

    // Switching the limits off and on changes the enable bits only: both settings stay.
    EXPECT_EQ(KTR4_enable_softlimit(0, 1, 0), KTR4_OK);
    EXPECT_EQ(reg(0, 1, 0xDF) & 0x7FFF, 0x4141u);
    EXPECT_EQ(KTR4_readback_enable_softlimit(0, 1, &enabled), KTR4_OK);
    EXPECT_EQ(enabled, 0);
    EXPECT_EQ(KTR4_readback_config_softlimit(0, 1, &s1, &s2), KTR4_OK);
    EXPECT_EQ(std::tuple(s1, s2), std::tuple(1, 2));

    EXPECT_EQ(KTR4_enable_softlimit(0, 1, 1), KTR4_OK);
    EXPECT_EQ(reg(0, 1, 0xDF), 0xABCD5959u);
    EXPECT_EQ(KTR4_readback_config_softlimit(0, 1, &s1, &s2), KTR4_OK);
    EXPECT_EQ(std::tuple(s1, s2), std::tuple(1, 2));

    ktr4sim_trace_clear();
    EXPECT_EQ(KTR4_config_softlimit(0, 1, 2, 0), KTR4_ERR_RANGE);
    EXPECT_EQ(KTR4_config_softlimit(0, 1, 0, 3), KTR4_ERR_RANGE);
    EXPECT_TRUE(trace().empty());
}

TEST_F(Status, ConfigSoftlimitClearsBitsOneAndTwoButKeepsSevenAndFifteen)
{
    set_reg(0, 0, 0xDF, 0x8686u);  // bits 1, 2, 7 in both bytes
    EXPECT_EQ(KTR4_config_softlimit(0, 0, 0, 0), KTR4_OK);
    EXPECT_EQ(reg(0, 0, 0xDF), 0x8080u | 0x1818u);
}

TEST_F(Status, MotionStatusFlagsAndOtherKinds)
{
    uint8_t flag = 9;
    EXPECT_EQ(KTR4_read_motion_status(0, 0, 0, &flag), KTR4_OK);
    EXPECT_EQ(flag, 1);  // idle axes report stopped
    set_status(0, 0, KTR4SIM_MAIN_STATUS, 0x4000);
    EXPECT_EQ(KTR4_read_motion_status(0, 0, 0, &flag), KTR4_OK);
    EXPECT_EQ(flag, 0);
    EXPECT_EQ(KTR4_read_motion_status(0, 0, 1, &flag), KTR4_OK);
    EXPECT_EQ(flag, 1);

    ktr4sim_trace_clear();
    flag = 9;
    for (uint32_t kind : {2u, 0xFFu})
        EXPECT_EQ(KTR4_read_motion_status(0, 0, kind, &flag), KTR4_ERR_RANGE);
    EXPECT_EQ(flag, 9);
    EXPECT_TRUE(trace().empty());
}

TEST_F(Status, CompareAndSoftLimitFlagsComeFromTheMainStatus)
{
    set_status(0, 3, KTR4SIM_MAIN_STATUS, 0x1000 | 0x0200);
    uint8_t compare = 0, flag1 = 9, flag2 = 9;
    EXPECT_EQ(KTR4_read_compare_flag(0, 3, &compare), KTR4_OK);
    EXPECT_EQ(compare, 1);
    EXPECT_EQ(KTR4_read_softlimit_flag(0, 3, &flag1, &flag2), KTR4_OK);
    EXPECT_EQ(std::tuple(flag1, flag2), std::tuple(0, 1));
    EXPECT_EQ(calls_of(12).back().a, 24u);  // axis 3's main status port
}

TEST_F(Status, PointInputsDecodeTheirBitsAndInversions)
{
    // Everything low: inverted points read 1, the others 0.
    set_status(0, 1, KTR4SIM_SUB_STATUS, 0);
    set_reg(0, 1, 0xF1, 0);
    const std::vector<uint8_t> inverted = {4, 12, 13, 14};
    for (uint8_t point = 0; point < 17; ++point) {
        uint8_t state = 9;
        EXPECT_EQ(KTR4_read_point_status(0, 1, point, &state), KTR4_OK);
        const bool is_inverted = std::find(inverted.begin(), inverted.end(), point) != inverted.end();
        EXPECT_EQ(state, is_inverted ? 1 : 0) << "point " << int(point);
    }
    // One bit at a time flips exactly its point.
    struct Case {
        uint8_t point;
        bool pins;
        unsigned bit;
    };
    const Case cases[] = {{0, true, 15},  {1, true, 8},   {2, true, 16},  {3, false, 11}, {4, false, 2},
                          {5, false, 12}, {6, false, 13}, {7, true, 14},  {8, false, 14}, {9, true, 7},
                          {10, true, 10}, {11, true, 9},  {12, false, 1}, {13, false, 0}, {14, false, 7},
                          {15, true, 5},  {16, true, 6}};
    for (const Case& c : cases) {
        set_status(0, 1, KTR4SIM_SUB_STATUS, c.pins ? 0 : static_cast<uint16_t>(1u << c.bit));
        set_reg(0, 1, 0xF1, c.pins ? (1u << c.bit) : 0);
        uint8_t state = 9;
        EXPECT_EQ(KTR4_read_point_status(0, 1, c.point, &state), KTR4_OK);
        const bool is_inverted = std::find(inverted.begin(), inverted.end(), c.point) != inverted.end();
        EXPECT_EQ(state, is_inverted ? 0 : 1) << "point " << int(c.point);
    }
}

TEST_F(Status, PointsSeventeenToTwentyFourReadAxisOneOrTwoWhateverTheAxis)
{
    set_status(0, 1, KTR4SIM_SUB_STATUS, 1u << 5);
    set_status(0, 2, KTR4SIM_SUB_STATUS, 1u << 6);
    for (uint8_t point = 17; point <= 24; ++point) {
        ktr4sim_trace_clear();
        uint8_t state = 9;
        EXPECT_EQ(KTR4_read_point_status(0, 3, point, &state), KTR4_OK);
        EXPECT_EQ(state, (point == 19 || point == 24) ? 1 : 0) << "point " << int(point);
        const auto ports = calls_of(12);
        ASSERT_EQ(ports.size(), 2u);
        EXPECT_EQ(ports[0].a, 3u * 8 + 2);  // own sub-status first
        EXPECT_EQ(ports[1].a, (point <= 20 ? 1u : 2u) * 8 + 2);  // then axis 1 or 2
    }
}

TEST_F(Status, PointsAbove24AreOutOfRangeAndReadNothing)
{
    uint8_t state = 9;
    for (uint32_t point : {25u, 200u, 0x1FFu})
        EXPECT_EQ(KTR4_read_point_status(0, 0, point, &state), KTR4_ERR_RANGE);
    EXPECT_EQ(state, 9);
    EXPECT_TRUE(trace().empty());
}

TEST_F(Status, OutputPointsAddressTheirAxisAndCommand)
{
    EXPECT_EQ(KTR4_write_output_point(0, 3, 5, 1), KTR4_OK);  // axis 1, not axis 3
    EXPECT_EQ(KTR4_write_output_point(0, 3, 0, 7), KTR4_OK);  // any non-zero is on
    EXPECT_EQ(KTR4_write_output_point(0, 2, 3, 0), KTR4_OK);
    EXPECT_EQ(KTR4_write_output_point(0, 0, 11, 0), KTR4_OK);  // axis 2
    EXPECT_EQ(KTR4_write_output_point(0, 1, 0x104, 1), KTR4_OK);  // point 4 by its low byte
    EXPECT_EQ(commands(), (std::vector<uint32_t> {0x021C, 0x0824, 0x041F, 0x0416, 0x021B}));
    ktr4sim_trace_clear();
    for (uint32_t point : {12u, 200u})
        EXPECT_EQ(KTR4_write_output_point(0, 0, point, 1), KTR4_ERR_RANGE);
    EXPECT_TRUE(trace().empty());
}

}  // namespace
