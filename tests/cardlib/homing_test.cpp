// Home mode selection, origin return and origin search against the simulated card.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <tuple>

#include "frame/card_table.h"
#include "homing.h"
#include "ktr4.h"
#include "ktr4sim.h"
#include "sim_fixture.h"

namespace {

using ktr4test::RegisterWrite;

// Register units of a speed at magnification mg, straight from the conversion rule.
uint32_t units(int64_t speed, uint32_t mg)
{
    const int64_t value = (static_cast<int64_t>(mg) + 1) * std::llabs(speed) / 300;
    return static_cast<uint32_t>(std::clamp<int64_t>(value, 1, 65535));
}

using Homing = ktr4test::OneCardTest;

TEST(HomingRate, SlowestForZeroTimeEqualSpeedsOrAStartAboveTheMaximum)
{
    EXPECT_EQ(ktr4::homing_rate(0.0, 100, 5000), 65535u);
    EXPECT_EQ(ktr4::homing_rate(0.5, 3000, 3000), 65535u);
    EXPECT_EQ(ktr4::homing_rate(199.0, 5000, 100), 65535u);
    // trunc(t × 19 660 800 / (4 × (FH − FL))) − 1, with 1 as the fastest.
    EXPECT_EQ(ktr4::homing_rate(0.1, 6553, 65533), 7u);  // q = 8.33
    EXPECT_EQ(ktr4::homing_rate(3.5 * 4 * 58980 / 19660800.0, 6553, 65533), 2u);  // q = 3.5
    EXPECT_EQ(ktr4::homing_rate(4.0 * 58980 / 19660800.0, 6553, 65533), 1u);  // q = 1: 0 becomes 1
    EXPECT_EQ(ktr4::homing_rate(-1.0, 100, 200), 65535u);  // negative time wraps to a huge quotient
    EXPECT_EQ(ktr4::homing_rate(NAN, 100, 200), 65535u);
}

TEST_F(Homing, ConfigHomeModeFieldAndRanges)
{
    set_reg(0, 2, 0xDE, 0x01F02000u | 0xAB);
    EXPECT_EQ(KTR4_config_home_mode(0, 2, 12, 15), KTR4_OK);
    EXPECT_EQ(reg(0, 2, 0xDE), 0x01F020FCu);
    ktr4sim_trace_clear();
    EXPECT_EQ(KTR4_config_home_mode(0, 2, 13, 0), KTR4_ERR_RANGE);
    EXPECT_EQ(KTR4_config_home_mode(0, 2, 0, 16), KTR4_ERR_RANGE);
    EXPECT_TRUE(trace().empty());
}

TEST_F(Homing, OriginReturnWritesItsProfileThenStarts)
{
    ktr4::axis_state(0, 1).profile.correction_speed = 1000;
    EXPECT_EQ(KTR4_start_homing(0, 1, 1000, 10000, 0.1, 1), KTR4_OK);
    const uint32_t mg = 19660500 / 10000 - 1;
    const uint32_t fl = units(1000, mg), fh = units(10000, mg);
    const uint32_t rate = static_cast<uint32_t>(std::trunc(0.1 * 19660800 / (4.0 * (fh - fl)))) - 1;
    const uint32_t mode = (0x01000041u & ~0x7Fu) | 0x18u;
    EXPECT_EQ(register_writes(),
              (std::vector<RegisterWrite> {{1, 0x91, fl},
                                           {1, 0x92, fh},
                                           {1, 0x93, rate},
                                           {1, 0x94, rate},
                                           {1, 0x95, mg},
                                           {1, 0x97, mode},
                                           {1, 0x9B, units(1000, mg)}}));
    EXPECT_EQ(commands(), (std::vector<uint32_t> {0x0253}));
    EXPECT_EQ(ktr4::axis_state(0, 1).profile.operation_mode, mode);
}

TEST_F(Homing, TheSpeedLimitIgnoresTheSign)
{
    EXPECT_EQ(KTR4_start_homing(0, 0, 0, -6553500, 0.2, 0), KTR4_OK);
    const auto writes = register_writes();
    ASSERT_EQ(writes.size(), 7u);
    EXPECT_EQ(writes[0].value, 1u);  // a start speed of 0 still writes 1
    EXPECT_EQ(writes[4].value, 2u);  // the top of the range
    EXPECT_EQ(writes[5].value & 0x7Fu, 0x10u);
}

TEST_F(Homing, EqualSpeedsAndZeroTimeGiveTheSlowestRate)
{
    EXPECT_EQ(KTR4_start_homing(0, 3, 5000, 5000, 0.5, 0), KTR4_OK);
    EXPECT_EQ(register_writes()[2].value, 65535u);
    ktr4sim_trace_clear();
    EXPECT_EQ(KTR4_start_homing(0, 3, 100, 5000, 0.0, 0), KTR4_OK);
    EXPECT_EQ(register_writes()[2].value, 65535u);
    EXPECT_EQ(register_writes()[3].value, 65535u);
}

TEST_F(Homing, MovingAxisOrFullBufferIsRefused)
{
    set_status(0, 2, KTR4SIM_MAIN_STATUS, 0);
    EXPECT_EQ(KTR4_start_homing(0, 2, 100, 1000, 0.1, 0), KTR4_ERR_MOVING);
    ASSERT_EQ(KTR4_set_continuous_flag(0, 2, 1), KTR4_OK);
    set_status(0, 2, KTR4SIM_MAIN_STATUS, 0x4000);
    EXPECT_EQ(KTR4_start_homing(0, 2, 100, 1000, 0.1, 0), KTR4_ERR_BUFFER_FULL);
    EXPECT_TRUE(register_writes().empty());
}

TEST_F(Homing, ContinuousModeUsesPreRegistersButTheOperatingCorrectionRegister)
{
    ASSERT_EQ(KTR4_set_continuous_flag(0, 2, 1), KTR4_OK);
    set_status(0, 2, KTR4SIM_MAIN_STATUS, 0);  // running, buffer free
    EXPECT_EQ(KTR4_start_homing(0, 2, 100, 1000, 0.1, 0), KTR4_OK);
    EXPECT_EQ(written_codes(), (std::vector<uint32_t> {0x81, 0x82, 0x83, 0x84, 0x85, 0x87, 0x9B}));
}

TEST_F(Homing, OriginSearchWritesTheAmountFirstAndClearsTheHomeMode)
{
    set_reg(0, 0, 0xDE, 0x01F020FCu);
    EXPECT_EQ(KTR4_start_origin_search_homing(0, 0, 100, 1000, 0.1, 1, -4000), KTR4_OK);
    const auto writes = register_writes();
    ASSERT_EQ(writes.size(), 9u);
    EXPECT_EQ(writes.front(), (RegisterWrite {0, 0x90, static_cast<uint32_t>(-4000)}));
    EXPECT_EQ(writes[6].value & 0x7Fu, 0x1Du);
    EXPECT_EQ(std::tuple(writes[7].code, writes[8]), std::tuple(0x9Bu, (RegisterWrite {0, 0x9E, 0x01F020F0u})));
    EXPECT_EQ(commands(), (std::vector<uint32_t> {0x0153}));

    ktr4sim_trace_clear();
    EXPECT_EQ(KTR4_start_origin_search_homing(0, 0, 100, 1000, 0.1, 0, 1), KTR4_OK);
    EXPECT_EQ(register_writes()[6].value & 0x7Fu, 0x15u);
}

TEST_F(Homing, AFailedWriteIsReturnedAndNothingStarts)
{
    ktr4sim_fail(51, 71, 0, 3);
    EXPECT_EQ(KTR4_start_homing(0, 0, 100, 1000, 0.1, 0), 71);
    EXPECT_TRUE(commands().empty());
    ktr4sim_fail(22, 72, 0, 1);
    EXPECT_EQ(KTR4_start_homing(0, 0, 100, 1000, 0.1, 0), 72);
}

TEST_F(Homing, ALoadedCorrectionSpeedIsWhatTheStartWrites)
{
    namespace fs = std::filesystem;
    const fs::path file = fs::temp_directory_path() / ("ktr4-homing-" + std::to_string(::getpid()) + ".cfg");
    std::vector<char> record(212, 0);
    const uint32_t speed = 3000;
    std::memcpy(record.data() + 192 + 4 * 2, &speed, 4);  // axis 2, little-endian on this host
    std::ofstream(file, std::ios::binary).write(record.data(), static_cast<std::streamsize>(record.size()));
    ASSERT_EQ(KTR4_load_config_from_file(0, file.string().c_str()), KTR4_OK);
    fs::remove(file);

    ktr4sim_trace_clear();
    EXPECT_EQ(KTR4_start_homing(0, 2, 100, 20000, 0.1, 0), KTR4_OK);
    const uint32_t mg = 19660500 / 20000 - 1;
    EXPECT_EQ(register_writes().back(), (RegisterWrite {2, 0x9B, units(3000, mg)}));
}

}  // namespace
