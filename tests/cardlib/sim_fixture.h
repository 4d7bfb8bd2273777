// A test fixture over the simulated card: set up cards, initialise, and read back what the
// library asked of the driver.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <thread>
#include <vector>

#include "frame/card_table.h"
#include "ktr4.h"
#include "pulser_follower.h"
#include "ktr4sim.h"

namespace ktr4test {

// Waits for a condition another thread brings about; generous, since the machine may be busy.
template <typename Condition>
bool eventually(Condition condition, std::chrono::seconds limit = std::chrono::seconds(20))
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

struct RegisterWrite {
    uint32_t axis, code, value;
    bool operator==(const RegisterWrite&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const RegisterWrite& w)
{
    return out << "{axis " << w.axis << ", 0x" << std::hex << w.code << " = 0x" << w.value << std::dec << "}";
}

class SimCardTest : public ::testing::Test {
protected:
    // These tests look at the register traffic of the library, so the card stands still: a
    // started move would otherwise clear the stopped flag that the next call checks.
    void SetUp() override
    {
        ktr4sim_reset();
        ktr4sim_set_motion(0);
    }
    void TearDown() override { ktr4sim_reset(); }

    // Presents cards with these switch settings (in driver order) and initialises the library.
    void start(std::initializer_list<uint8_t> switches)
    {
        std::vector<uint8_t> list(switches);
        ktr4sim_set_cards(list.data(), static_cast<uint32_t>(list.size()));
        ASSERT_EQ(KTR4_initial(), KTR4_OK);
        // The follower's 20 ms timer would add driver calls at its own pace; tests that want it
        // start it themselves.
        ktr4::stop_follower_timer();
        ktr4sim_trace_clear();
    }

    static std::vector<ktr4sim_call> trace()
    {
        std::vector<ktr4sim_call> calls(ktr4sim_trace_size());
        for (uint32_t i = 0; i < calls.size(); ++i)
            ktr4sim_trace_get(i, &calls[i]);
        return calls;
    }
    static std::vector<ktr4sim_call> calls_of(uint32_t operation)
    {
        std::vector<ktr4sim_call> out;
        for (const auto& call : trace())
            if (call.operation == operation)
                out.push_back(call);
        return out;
    }
    static std::vector<RegisterWrite> register_writes()
    {
        std::vector<RegisterWrite> out;
        for (const auto& call : calls_of(51))
            out.push_back({call.a, call.b, call.value});
        return out;
    }
    static std::vector<uint32_t> register_reads()
    {
        std::vector<uint32_t> out;
        for (const auto& call : calls_of(50))
            out.push_back(call.b);
        return out;
    }
    // Command words written to port offset 0.
    static std::vector<uint32_t> commands()
    {
        std::vector<uint32_t> out;
        for (const auto& call : calls_of(22))
            if (call.a == 0)
                out.push_back(call.value);
        return out;
    }
    static uint32_t reg(uint32_t slot, uint32_t axis, uint32_t read_code)
    {
        uint32_t value = 0;
        EXPECT_EQ(ktr4sim_get_register(slot, axis, read_code, &value), 0);
        return value;
    }
    static void set_reg(uint32_t slot, uint32_t axis, uint32_t read_code, uint32_t value)
    {
        ASSERT_EQ(ktr4sim_set_register(slot, axis, read_code, value), 0);
    }
    static void set_status(uint32_t slot, uint32_t axis, uint32_t port, uint16_t word)
    {
        ASSERT_EQ(ktr4sim_set_status(slot, axis, port, word), 0);
    }
    // Register codes written, in order, optionally of one axis only.
    static std::vector<uint32_t> written_codes(int only_axis = -1)
    {
        std::vector<uint32_t> out;
        for (const auto& w : register_writes())
            if (only_axis < 0 || w.axis == static_cast<uint32_t>(only_axis))
                out.push_back(w.code);
        return out;
    }
};

// One card at switch setting 0, initialised.
class OneCardTest : public SimCardTest {
protected:
    void SetUp() override
    {
        SimCardTest::SetUp();
        start({0});
    }
    static ktr4::AxisState& axis(uint8_t a) { return ktr4::axis_state(0, a); }
};

// One initialised card that moves on the simulator's virtual clock, as an application sees it.
class MovingCardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ktr4sim_reset();
        ktr4sim_use_virtual_clock(1);
        ktr4sim_trace_enable(0);
        ASSERT_EQ(KTR4_initial(), KTR4_OK);
        ASSERT_EQ(KTR4_init_card(0), KTR4_OK);
    }
    void TearDown() override
    {
        KTR4_close();
        ktr4sim_reset();
    }
    static int32_t position(uint8_t axis)
    {
        int32_t p = 0;
        EXPECT_EQ(KTR4_read_current_position(0, axis, &p), KTR4_OK);
        return p;
    }
    static bool stopped(uint8_t axis)
    {
        uint8_t s = 0;
        EXPECT_EQ(KTR4_read_motion_status(0, axis, 0, &s), KTR4_OK);
        return s != 0;
    }
    static bool all_stopped()
    {
        for (uint8_t a = 0; a < 4; ++a)
            if (!stopped(a))
                return false;
        return true;
    }
};

}  // namespace ktr4test
