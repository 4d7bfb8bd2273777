// Pin configuration against the simulated card: the TTL I/O routing, the output, input,
// ERC, compare, SD/INP/PCS, latch and alarm pins, their register bits, readbacks and refusals.
#include <gtest/gtest.h>

#include <tuple>

#include "frame/card_table.h"
#include "ktr4.h"
#include "ktr4sim.h"
#include "sim_fixture.h"

namespace {

using ktr4test::RegisterWrite;

using Pins = ktr4test::OneCardTest;

TEST_F(Pins, TtlIoEachModeSendsItsCommandsThenRoutesAxisOneThenTwo)
{
    const uint32_t base = 0xFFFFC03Fu;  // all bits outside 6-13 set
    struct Case {
        uint8_t mode;
        uint32_t first, second;
    };
    for (const Case& c :
         {Case {0, 0x0813, 0x0814}, Case {1, 0x081B, 0x0814}, Case {2, 0x0813, 0x081C}, Case {3, 0x081B, 0x081C}}) {
        set_reg(0, 1, 0xDD, base | 0x3FC0u);
        set_reg(0, 2, 0xDD, base | 0x3FC0u);
        ktr4sim_trace_clear();
        EXPECT_EQ(KTR4_config_TTL_IO_MODE(0, c.mode), KTR4_OK);
        EXPECT_EQ(commands(), (std::vector<uint32_t> {c.first, c.second}));
        const uint32_t routed = base | 0x1540u, cleared = base;
        EXPECT_EQ(register_writes(),
                  (std::vector<RegisterWrite> {{1, 0x9D, (c.mode & 1) ? routed : cleared},
                                               {2, 0x9D, (c.mode & 2) ? routed : cleared}}));
        uint8_t mode = 9;
        EXPECT_EQ(KTR4_readback_TTL_IO_MODE(0, &mode), KTR4_OK);
        EXPECT_EQ(mode, c.mode);
    }
}

TEST_F(Pins, TtlIoModeFourIsRefusedBeforeAnyCommand)
{
    EXPECT_EQ(KTR4_config_TTL_IO_MODE(0, 4), KTR4_ERR_RANGE);
    EXPECT_TRUE(trace().empty());
}

TEST_F(Pins, InitCardDefaultsReadBackAsTheCardsDocumentedState)
{
    ASSERT_EQ(KTR4_init_card(0), KTR4_OK);
    for (uint32_t axis = 0; axis < 3; ++axis) {
        uint8_t mode = 9, option = 9, state = 9;
        EXPECT_EQ(KTR4_readback_pulse_outmode(0, axis, &mode), KTR4_OK);
        EXPECT_EQ(mode, 5);  // code 7
        EXPECT_EQ(KTR4_readback_pulse_inmode(0, axis, &mode, &option), KTR4_OK);
        EXPECT_EQ(std::tuple(mode, option), std::tuple(2, 0));
        EXPECT_EQ(KTR4_readback_CMP_OUT(0, axis, &mode, &state), KTR4_OK);
        EXPECT_EQ(mode, 0);
    }
}

TEST_F(Pins, PulseOutputModeFiveIsCodeSevenAndSixIsRefusedAfterTheRead)
{
    EXPECT_EQ(KTR4_set_pulse_outmode(0, 2, 5), KTR4_OK);
    EXPECT_EQ(reg(0, 2, 0xDC) & 7, 7u);
    uint8_t mode = 0;
    EXPECT_EQ(KTR4_readback_pulse_outmode(0, 2, &mode), KTR4_OK);
    EXPECT_EQ(mode, 5);

    ktr4sim_trace_clear();
    EXPECT_EQ(KTR4_set_pulse_outmode(0, 2, 6), KTR4_ERR_RANGE);
    EXPECT_EQ(register_reads(), (std::vector<uint32_t> {0xDC}));
    EXPECT_TRUE(register_writes().empty());

    set_reg(0, 2, 0xDC, 0xFFFFFFF6u);  // code 6 set elsewhere
    EXPECT_EQ(KTR4_readback_pulse_outmode(0, 2, &mode), KTR4_OK);
    EXPECT_EQ(mode, 5);
    EXPECT_EQ(KTR4_set_pulse_outmode(0, 2, 1), KTR4_OK);
    EXPECT_EQ(reg(0, 2, 0xDC), 0xFFFFFFF1u);
}

TEST_F(Pins, ErcWidthIsForcedWhenOptionAIsOffAndCodesAreMapped)
{
    EXPECT_EQ(KTR4_config_ERC_PIN(0, 1, 0, 1, 2, 3), KTR4_OK);
    uint8_t a = 9, b = 9, width = 9, code = 9, state = 9;
    EXPECT_EQ(KTR4_readback_ERC_PIN(0, 1, &a, &b, &width, &code, &state), KTR4_OK);
    EXPECT_EQ(std::tuple(a, b, width, code), std::tuple(0, 1, 7, 2));
    EXPECT_EQ(KTR4_config_ERC_PIN(0, 1, 1, 0, 2, 2), KTR4_OK);
    EXPECT_EQ(KTR4_readback_ERC_PIN(0, 1, &a, &b, &width, &code, &state), KTR4_OK);
    EXPECT_EQ(std::tuple(width, code), std::tuple(2, 0));
    EXPECT_EQ(reg(0, 1, 0xDC), (1u << 11) | (2u << 12));

    ktr4sim_trace_clear();
    EXPECT_EQ(KTR4_config_ERC_PIN(0, 1, 1, 0, 8, 0), KTR4_ERR_RANGE);
    EXPECT_EQ(KTR4_config_ERC_PIN(0, 1, 1, 0, 0, 4), KTR4_ERR_RANGE);
    EXPECT_TRUE(trace().empty());
}

TEST_F(Pins, CmpOutputStoresModePlusOneAndAZeroFieldReadsBack255)
{
    EXPECT_EQ(KTR4_config_CMP_OUT(0, 0, 2), KTR4_OK);
    EXPECT_EQ((reg(0, 0, 0xDD) >> 14) & 3, 3u);
    uint8_t mode = 0, state = 9;
    set_reg(0, 0, 0xDD, 0);
    set_status(0, 0, KTR4SIM_SUB_STATUS, 0);
    EXPECT_EQ(KTR4_readback_CMP_OUT(0, 0, &mode, &state), KTR4_OK);
    EXPECT_EQ(mode, 255);
    EXPECT_EQ(state, 1);  // inverted sub-status bit 7
    EXPECT_EQ(KTR4_config_CMP_OUT(0, 0, 3), KTR4_ERR_RANGE);
}

TEST_F(Pins, EnablesLiveInTheShadowAndSurviveInitCard)
{
    EXPECT_EQ(KTR4_config_SD_PIN(0, 3, 1, 1, 0, 1), KTR4_OK);
    EXPECT_EQ(KTR4_config_INP_PIN(0, 3, 1, 1), KTR4_OK);
    EXPECT_EQ(KTR4_config_PCS_PIN(0, 3, 2, 0), KTR4_OK);
    EXPECT_EQ(ktr4::axis_state(0, 3).profile.operation_mode, 0x01000041u | (1u << 8) | (1u << 9) | (1u << 14));
    EXPECT_EQ(reg(0, 3, 0xDC), (1u << 6) | (1u << 4) | (1u << 22));

    ASSERT_EQ(KTR4_init_card(0), KTR4_OK);
    set_reg(0, 3, 0xF1, 1u << 15);
    uint8_t enable = 0, o6 = 9, o5 = 9, o4 = 9, state = 0;
    EXPECT_EQ(KTR4_readback_SD_PIN(0, 3, &enable, &o6, &o5, &o4, &state), KTR4_OK);
    EXPECT_EQ(enable, 1);  // from the shadow, whatever the card now holds
    EXPECT_EQ(o6, 0);  // the card's defaults now: 0xB0077007 has bits 4-6 clear
    EXPECT_EQ(std::tuple(o4, state), std::tuple(0, 1));

    EXPECT_EQ(KTR4_config_PCS_PIN(0, 3, 0, 1), KTR4_OK);
    uint8_t option = 0;
    EXPECT_EQ(KTR4_readback_PCS_PIN(0, 3, &enable, &option, &state), KTR4_OK);
    EXPECT_EQ(std::tuple(enable, option), std::tuple(0, 1));
}

TEST_F(Pins, ReadbacksReadShadowThenWordThenInputs)
{
    ktr4sim_trace_clear();
    uint8_t a, b, c;
    EXPECT_EQ(KTR4_readback_INP_PIN(0, 0, &a, &b, &c), KTR4_OK);
    EXPECT_EQ(register_reads(), (std::vector<uint32_t> {0xDC, 0xF1}));
    ktr4sim_trace_clear();
    EXPECT_EQ(KTR4_readback_LTC_PIN(0, 0, &a, &b, &c), KTR4_OK);
    EXPECT_EQ(register_reads(), (std::vector<uint32_t> {0xE0, 0xDC, 0xF1}));
}

TEST_F(Pins, LatchAndWordOneBitsOfTheSingleBitMembers)
{
    set_reg(0, 2, 0xE0, 0x00008000u);
    EXPECT_EQ(KTR4_config_LTC_PIN(0, 2, 1, 1), KTR4_OK);
    EXPECT_EQ(reg(0, 2, 0xE0), 0u);  // bit 15 = NOT counter: KTR4_LTC_FEEDBACK clears it
    EXPECT_EQ(KTR4_config_ALM_PIN(0, 2, 1, 0), KTR4_OK);
    EXPECT_EQ(KTR4_config_EL_MODE(0, 2, 1), KTR4_OK);
    EXPECT_EQ(KTR4_set_HOME_pin_logic(0, 2, 1), KTR4_OK);
    EXPECT_EQ(reg(0, 2, 0xDC), (1u << 23) | (1u << 9) | (1u << 3) | (1u << 7));
    EXPECT_EQ(KTR4_set_EZ_pin_logic(0, 2, 1), KTR4_OK);
    EXPECT_EQ(KTR4_set_pulse_inmode(0, 2, 3, 1), KTR4_OK);
    EXPECT_EQ(reg(0, 2, 0xDD), (1u << 23) | (3u << 20) | (1u << 22));
    EXPECT_EQ(KTR4_set_pulse_inmode(0, 2, 4, 0), KTR4_ERR_RANGE);
    EXPECT_EQ(KTR4_set_pulse_inmode(0, 2, 0, 2), KTR4_ERR_RANGE);

    uint8_t v1 = 0, v2 = 0, state = 0;
    EXPECT_EQ(KTR4_readback_LTC_PIN(0, 2, &v1, &v2, &state), KTR4_OK);
    EXPECT_EQ(std::tuple(v1, v2), std::tuple(1, 1));
    set_status(0, 2, KTR4SIM_SUB_STATUS, 1u << 11);
    EXPECT_EQ(KTR4_readback_ALM_PIN(0, 2, &v1, &v2, &state), KTR4_OK);
    EXPECT_EQ(std::tuple(v1, v2, state), std::tuple(1, 0, 1));
    EXPECT_EQ(KTR4_readback_EL_MODE(0, 2, &v1), KTR4_OK);
    EXPECT_EQ(v1, 1);
    EXPECT_EQ(KTR4_readback_HOME_pin_logic(0, 2, &v1), KTR4_OK);
    EXPECT_EQ(v1, 1);
    EXPECT_EQ(KTR4_readback_EZ_pin_logic(0, 2, &v1), KTR4_OK);
    EXPECT_EQ(v1, 1);
}

}  // namespace
