// Machine files: what is accepted, what is refused (naming the line and the key), and that a
// refused file changes nothing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>

#include "ktr4.h"
#include "ktr4sim.h"
#include "sim_fixture.h"

namespace {

constexpr uint64_t kSecond = KTR4SIM_TICKS_PER_SECOND;

class MachineFile : public ktr4test::MovingCardTest {
protected:
    void TearDown() override
    {
        unsetenv("KTR4SIM_MACHINE");
        ktr4sim_unload_machine();
        MovingCardTest::TearDown();
    }
    static std::string file(const std::string& name, const std::string& text)
    {
        const std::string path = ::testing::TempDir() + name;
        std::ofstream(path) << text;
        return path;
    }
    // The load's result and its message.
    static std::pair<int32_t, std::string> load(const std::string& path)
    {
        char message[512] = "untouched";
        const int32_t rc = ktr4sim_load_machine(path.c_str(), message, sizeof message);
        return {rc, message};
    }
    // Where an origin return in mode 0 toward + ends, from 0 (none: it ran into nothing).
    static std::optional<int32_t> homes_at(uint8_t axis)
    {
        EXPECT_EQ(KTR4_set_current_position(0, axis, 0), KTR4_OK);
        EXPECT_EQ(KTR4_start_homing(0, axis, 500, 20000, 0.1, KTR4_HOME_DIR_PLUS), KTR4_OK);
        ktr4sim_advance(3 * kSecond);
        std::optional<int32_t> at;
        if (stopped(axis))
            at = position(axis);
        EXPECT_EQ(KTR4_imd_stop(0, axis), KTR4_OK);
        ktr4sim_advance(kSecond / 100);
        return at;
    }
    static uint8_t point(uint8_t axis, uint8_t p)
    {
        uint8_t state = 9;
        EXPECT_EQ(KTR4_read_point_status(0, axis, p, &state), KTR4_OK);
        return state;
    }
};

constexpr const char* kExample = R"(# A machine of two cards.
[card.0.axis.0]
home_position = 5000
home_width = 200
index_first = 50
index_pitch = 1000
el_minus = -20000
el_plus = 20000
sd_minus = -18000
sd_plus = 18000
alarm = false
inp_settle_ms = 2.5
latch_at = 1234
feedback_ratio = 0.5

[card.0.axis.2]
alarm = true

[card.7.axis.3]
home_position = -100
)";

TEST_F(MachineFile, TheExampleIsAcceptedAndActsByCardNumber)
{
    const auto [rc, message] = load(file("example.toml", kExample));
    ASSERT_EQ(rc, 0) << message;
    EXPECT_EQ(message, "");
    EXPECT_EQ(homes_at(0), 5000);
    EXPECT_EQ(point(2, KTR4_POINT_ALM), 1);
    EXPECT_EQ(homes_at(3), std::nullopt);  // card 7's axis, not this card's
    EXPECT_EQ(point(0, KTR4_POINT_EL_PLUS), 0);
    int32_t counts = 0;
    ASSERT_EQ(KTR4_set_FB_counter(0, 0, 0), KTR4_OK);
    ASSERT_EQ(KTR4_TR_position_move(0, 0, 1000, 500, 5000, 0.1, 0.1), KTR4_OK);
    ktr4sim_advance(2 * kSecond);
    ASSERT_EQ(KTR4_read_FB_counter(0, 0, &counts), KTR4_OK);
    EXPECT_EQ(counts, 500);

    ktr4sim_unload_machine();
    EXPECT_EQ(homes_at(0), std::nullopt);
    EXPECT_EQ(point(2, KTR4_POINT_ALM), 0);
}

TEST_F(MachineFile, TheManualPagesExampleLoadsAndHomesWhereThePageSays)
{
    // The example between "# machine.toml" and the end of its block in ktr4sim(7), unescaped.
    std::ifstream page(KTR4SIM_PAGE);
    ASSERT_TRUE(page.good());
    std::string line, text;
    bool inside = false;
    while (std::getline(page, line)) {
        if (line == "# machine.toml")
            inside = true;
        else if (inside && line == ".EE")
            break;
        if (!inside)
            continue;
        for (size_t at = line.find("\\-"); at != std::string::npos; at = line.find("\\-"))
            line.erase(at, 1);
        text += line + "\n";
    }
    ASSERT_NE(text, "");
    const auto [rc, message] = load(file("page.toml", text));
    ASSERT_EQ(rc, 0) << message;
    ASSERT_EQ(KTR4_config_home_mode(0, 0, KTR4_HOME_ORG_EZ, 0), KTR4_OK);
    EXPECT_EQ(homes_at(0), 5050);
}

TEST_F(MachineFile, RefusalsNameTheLineAndTheKey)
{
    struct Case {
        const char* text;
        const char* expected;  // in the message after the file's name
    };
    const Case cases[] = {
        {"[card.0.axis.0]\nhome_position = 1\nhome_wdth = 3\n", ":3: card.0.axis.0.home_wdth: unknown key"},
        {"[card.0.axis.1]\nhome_position = 10\nhome_width = 0\n", ":3: card.0.axis.1.home_width: must be at least 1"},
        {"[card.0.axis.0]\n\nel_plus = -5\nel_minus = 5\n", ":4: card.0.axis.0.el_minus: must lie below el_plus"},
        {"[card.0.axis.0]\nsd_plus = 'far'\n", ":2: card.0.axis.0.sd_plus: must be a whole number"},
        {"[card.0.axis.0]\nindex_pitch = 0\n", ":2: card.0.axis.0.index_pitch: must be at least 1"},
        {"[card.0.axis.0]\nindex_first = 7\n", ":2: card.0.axis.0.index_first: needs index_pitch"},
        {"[card.0.axis.0]\nhome_width = 7\n", ":2: card.0.axis.0.home_width: needs home_position"},
        {"[card.0.axis.0]\nel_plus = 4294967296\n", ":2: card.0.axis.0.el_plus: must lie in"},
        {"[card.0.axis.0]\nfeedback_ratio = -1.0\n", ":2: card.0.axis.0.feedback_ratio: must lie above 0"},
        {"[card.0.axis.0]\nalarm = 1\n", ":2: card.0.axis.0.alarm: must be true or false"},
        {"[card.16.axis.0]\nalarm = true\n", ":1: card.16: the card number must be 0..15"},
        {"[card.0.axis.4]\nalarm = true\n", ":1: card.0.axis.4: the axis must be 0..3"},
        {"[card.0.spindle]\nspeed = 1\n", ":1: card.0.spindle: unknown key"},
        {"machine = 'mill'\n", ":1: machine: unknown key"},
        {"[card.0.axis.0]\nel_plus = \n", ":2: "},  // not TOML
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string path = file("refused" + std::to_string(n++) + ".toml", c.text);
        const auto [rc, message] = load(path);
        EXPECT_EQ(rc, KTR4SIM_ERR_MACHINE) << c.text;
        EXPECT_EQ(message.rfind(path, 0), 0u) << message;
        EXPECT_NE(message.find(c.expected), std::string::npos) << message;
    }
    const auto [rc, message] = load(::testing::TempDir() + "no-such-machine.toml");
    EXPECT_EQ(rc, KTR4SIM_ERR_MACHINE);
    EXPECT_NE(message, "");
}

TEST_F(MachineFile, ARefusedFileChangesNothingOfTheMachineBefore)
{
    ASSERT_EQ(load(file("good.toml", "[card.0.axis.1]\nhome_position = 3000\n")).first, 0);
    // Valid axes before the fault are not applied either.
    const auto [rc, message] = load(file("half.toml",
                                         "[card.0.axis.1]\nhome_position = 700\n"
                                         "[card.0.axis.2]\nalarm = true\n"
                                         "[card.0.axis.3]\nel_plus = 10\nel_minus = 10\n"));
    ASSERT_EQ(rc, KTR4SIM_ERR_MACHINE);
    EXPECT_NE(message.find(":7: card.0.axis.3.el_minus"), std::string::npos) << message;
    EXPECT_EQ(homes_at(1), 3000);
    EXPECT_EQ(point(2, KTR4_POINT_ALM), 0);
}

TEST_F(MachineFile, TheEnvironmentsFileIsLoadedAtResetAndARefusedOneGivesNoMachine)
{
    setenv("KTR4SIM_MACHINE", file("env.toml", "[card.0.axis.0]\nhome_position = 4321\n").c_str(), 1);
    KTR4_close();
    ktr4sim_reset();
    ktr4sim_use_virtual_clock(1);
    ASSERT_EQ(KTR4_initial(), KTR4_OK);
    ASSERT_EQ(KTR4_init_card(0), KTR4_OK);
    EXPECT_EQ(homes_at(0), 4321);

    setenv("KTR4SIM_MACHINE", file("env-bad.toml", "[card.0.axis.0]\nhome_position = 4321\nhome = 1\n").c_str(), 1);
    KTR4_close();
    ktr4sim_reset();
    ktr4sim_use_virtual_clock(1);
    ASSERT_EQ(KTR4_initial(), KTR4_OK);
    ASSERT_EQ(KTR4_init_card(0), KTR4_OK);
    EXPECT_EQ(homes_at(0), std::nullopt);
}

TEST_F(MachineFile, ControlCallsRefuseContradictions)
{
    EXPECT_EQ(ktr4sim_set_limits(0, 0, KTR4SIM_BOTH, 100, 100), KTR4SIM_ERR_VALUE);
    EXPECT_EQ(ktr4sim_set_limits(0, 0, 4, 0, 100), KTR4SIM_ERR_VALUE);
    EXPECT_EQ(ktr4sim_set_slowdown(0, 0, KTR4SIM_BOTH, 5, -5), KTR4SIM_ERR_VALUE);
    EXPECT_EQ(ktr4sim_set_home_sensor(0, 0, 1, 0, 0), KTR4SIM_ERR_VALUE);
    EXPECT_EQ(ktr4sim_set_index(0, 0, 1, 0, 0), KTR4SIM_ERR_VALUE);
    EXPECT_EQ(ktr4sim_set_feedback(0, 0, 0.0), KTR4SIM_ERR_VALUE);
    EXPECT_EQ(ktr4sim_set_inp_settle(0, 0, 1, 60000001u), KTR4SIM_ERR_VALUE);
    EXPECT_EQ(ktr4sim_set_index(0, 4, 1, 0, 1), KTR4SIM_ERR_AXIS);
    EXPECT_EQ(ktr4sim_raise_alarm(3, 0), KTR4SIM_ERR_HANDLE);
    // Only one side: EL- stays away.
    ASSERT_EQ(ktr4sim_set_limits(0, 0, KTR4SIM_PLUS, 0, 100), 0);
    EXPECT_EQ(point(0, KTR4_POINT_EL_MINUS), 0);
}

}  // namespace
