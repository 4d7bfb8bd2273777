// Backlash, vibration suppression, continuous flag, CSTA/CSTP, stops and the speed readout.
#include <gtest/gtest.h>

#include <tuple>

#include "frame/card_table.h"
#include "ktr4.h"
#include "ktr4sim.h"
#include "sim_fixture.h"

namespace {

using ktr4test::RegisterWrite;

using AuxMotion = ktr4test::OneCardTest;

TEST_F(AuxMotion, BacklashAmountModeAndTableFields)
{
    set_reg(0, 1, 0xE1, 0xC000FFFFu);  // pulser bits 14-15 and above must survive
    EXPECT_EQ(KTR4_backlash_comp(0, 1, 4095, 1, 2500), KTR4_OK);
    EXPECT_EQ(reg(0, 1, 0xE1), 0xC000DFFFu);
    EXPECT_EQ(reg(0, 1, 0xDE), 1u << 24);
    uint16_t amount = 0;
    uint8_t variant = 0;
    uint32_t speed = 0;
    EXPECT_EQ(KTR4_readback_backlash_comp(0, 1, &amount, &variant, &speed), KTR4_OK);
    EXPECT_EQ(std::tuple(amount, variant, speed), std::tuple(4095, 1, 2500u));

    ktr4sim_trace_clear();
    EXPECT_EQ(KTR4_backlash_comp(0, 1, 4096, 0, 1), KTR4_ERR_RANGE);
    EXPECT_TRUE(trace().empty());
    EXPECT_EQ(ktr4::axis_state(0, 1).profile.correction_speed, 2500u);
}

TEST_F(AuxMotion, VibrationSuppressionPacksTwoHalves)
{
    EXPECT_EQ(KTR4_suppress_vibration(0, 2, 0x1234, 0x5678), KTR4_OK);
    EXPECT_EQ(register_writes(), (std::vector<RegisterWrite> {{2, 0xA2, 0x56781234u}}));
    uint16_t first = 0, second = 0;
    EXPECT_EQ(KTR4_readback_suppress_vibration(0, 2, &first, &second), KTR4_OK);
    EXPECT_EQ(std::tuple(first, second), std::tuple(0x1234, 0x5678));
}

TEST_F(AuxMotion, ContinuousFlagIsStoredAsGivenAndBufferFullIsBitFourteen)
{
    EXPECT_EQ(KTR4_set_continuous_flag(0, 3, 7), KTR4_OK);
    EXPECT_EQ(ktr4::axis_state(0, 3).profile.continuous, 7);
    EXPECT_TRUE(trace().empty());
    uint8_t full = 9;
    EXPECT_EQ(KTR4_check_continuous_buffer(0, 3, &full), KTR4_OK);
    EXPECT_EQ(full, 0);
    set_status(0, 3, KTR4SIM_MAIN_STATUS, 0x4008);
    EXPECT_EQ(KTR4_check_continuous_buffer(0, 3, &full), KTR4_OK);
    EXPECT_EQ(full, 1);
}

TEST_F(AuxMotion, SynchronisationCommandsGoToAllFourAxes)
{
    EXPECT_EQ(KTR4_trigger_CSTA_pulse(0), KTR4_OK);
    EXPECT_EQ(KTR4_wait_CSTA_signal(0), KTR4_OK);
    EXPECT_EQ(KTR4_trigger_CSTP_pulse(0), KTR4_OK);
    EXPECT_EQ(commands(), (std::vector<uint32_t> {0x0F06, 0x0F2A, 0x0F07}));
}

TEST_F(AuxMotion, EmergencyStopIsOneCommandThenBookkeepingPerAxis)
{
    ktr4::axis_state(0, 1).end.bookkeeping_armed = 1;
    ktr4::axis_state(0, 1).end.commanded_end = 300;
    set_reg(0, 1, 0xE3, 120);
    EXPECT_EQ(KTR4_emg_stop(0), KTR4_OK);
    EXPECT_EQ(commands(), (std::vector<uint32_t> {0x0F05}));
    EXPECT_EQ(register_reads(), (std::vector<uint32_t> {0xE3}));  // only the armed axis reads
    EXPECT_EQ(ktr4::axis_state(0, 1).end.lost_pulses, 180);
    for (uint8_t axis = 0; axis < 4; ++axis)
        EXPECT_EQ(ktr4::axis_state(0, axis).end.bookkeeping_armed, 1);
}

TEST_F(AuxMotion, ReadSpeedInvertsTheSpeedConversion)
{
    double speed = 0;
    set_reg(0, 0, 0xF5, 0xFFFF0000u | 1000u);  // only the low 16 bits count
    set_reg(0, 0, 0xD5, 299);
    EXPECT_EQ(KTR4_read_speed(0, 0, &speed), KTR4_OK);
    EXPECT_DOUBLE_EQ(speed, 1000.0);
    set_reg(0, 0, 0xD5, 2);
    EXPECT_EQ(KTR4_read_speed(0, 0, &speed), KTR4_OK);
    EXPECT_DOUBLE_EQ(speed, 100000.0);
    set_reg(0, 0, 0xD5, 0xFFFFFFFFu);  // no wrap to a division by zero
    EXPECT_EQ(KTR4_read_speed(0, 0, &speed), KTR4_OK);
    EXPECT_GT(speed, 0.0);
    EXPECT_LT(speed, 1.0);
    EXPECT_EQ(register_reads(), (std::vector<uint32_t> {0xF5, 0xD5, 0xF5, 0xD5, 0xF5, 0xD5}));
}

}  // namespace
