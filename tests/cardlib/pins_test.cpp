// TTL I/O line routing.
#include <gtest/gtest.h>

#include "ktr4.h"
#include "ktr4sim.h"
#include "sim_fixture.h"

namespace {

using ktr4test::RegisterWrite;

class TtlIoMode : public ktr4test::SimCardTest {
 protected:
  void SetUp() override {
    SimCardTest::SetUp();
    start({0});
  }
};

TEST_F(TtlIoMode, EachModeSendsItsCommandsThenRoutesAxisOneThenTwo) {
  const uint32_t base = 0xFFFFC03Fu;  // all bits outside 6-13 set
  struct Case {
    uint8_t mode;
    uint32_t first, second;
  };
  for (const Case& c : {Case{0, 0x0813, 0x0814}, Case{1, 0x081B, 0x0814}, Case{2, 0x0813, 0x081C},
                        Case{3, 0x081B, 0x081C}}) {
    set_reg(0, 1, 0xDD, base | 0x3FC0u);
    set_reg(0, 2, 0xDD, base | 0x3FC0u);
    ktr4sim_trace_clear();
    EXPECT_EQ(KTR4_config_TTL_IO_MODE(0, c.mode), KTR4_OK);
    EXPECT_EQ(commands(), (std::vector<uint32_t>{c.first, c.second}));
    const uint32_t routed = base | 0x1540u, cleared = base;
    EXPECT_EQ(register_writes(), (std::vector<RegisterWrite>{{1, 0x9D, (c.mode & 1) ? routed : cleared},
                                                             {2, 0x9D, (c.mode & 2) ? routed : cleared}}));
    uint8_t mode = 9;
    EXPECT_EQ(KTR4_readback_TTL_IO_MODE(0, &mode), KTR4_OK);
    EXPECT_EQ(mode, c.mode);
  }
}

TEST_F(TtlIoMode, ModeFourIsRefusedBeforeAnyCommand) {
  EXPECT_EQ(KTR4_config_TTL_IO_MODE(0, 4), KTR4_ERR_RANGE);
  EXPECT_TRUE(trace().empty());
  EXPECT_EQ(KTR4_config_TTL_IO_MODE(16, 4), KTR4_ERR_CARD);
  EXPECT_EQ(KTR4_config_TTL_IO_MODE(1, 4), KTR4_ERR_NOT_INITIALISED);
}

TEST_F(TtlIoMode, ReturnsTheLastWriteAndSkipsAWriteWhoseReadFailed) {
  ktr4sim_fail(50, 5, 0, 1);  // axis 1's read fails
  EXPECT_EQ(KTR4_config_TTL_IO_MODE(0, 3), KTR4_OK);
  const auto writes = register_writes();
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(writes[0].axis, 2u);
  ktr4sim_fail(51, 6, 0, 1);  // axis 1's write fails, axis 2's succeeds
  EXPECT_EQ(KTR4_config_TTL_IO_MODE(0, 3), KTR4_OK);
  ktr4sim_fail(50, 7, 1, 1);  // axis 2's read fails: nothing later can mask it
  EXPECT_EQ(KTR4_config_TTL_IO_MODE(0, 3), 7);
}

}  // namespace
