// The machine description: a full file read as meant, and every kind of bad value refused with
// a message that names the key, the value and what is allowed.
#include <gtest/gtest.h>
#include <ktr4.h>

#include <string>

#include "machine/machine.h"

namespace ktr4path {
namespace {

const std::string kAxisX = R"(
[axis.X]
card = 0
axis = 0
pulses_per_unit = 1000
max_feed = 6000
max_accel = 500
soft_limit_min = 0
soft_limit_max = 300
)";

// The X axis above with one line replaced (or added, when the key is not there).
std::string withX(const std::string& key, const std::string& value)
{
    std::string text = kAxisX;
    const auto at = text.find("\n" + key + " = ");
    if (at == std::string::npos)
        return text + key + " = " + value + "\n";
    const auto end = text.find('\n', at + 1);
    return text.replace(at + 1, end - at - 1, key + " = " + value);
}

std::string errorOf(const std::string& text)
{
    try {
        parseMachine(text, "m.toml");
    } catch (const MachineError& e) {
        return e.what();
    }
    return "(loaded)";
}

TEST(MachineFile, ExampleRouterReadsAsWritten)
{
    const Machine m = loadMachineFile(PATHLIB_EXAMPLES "/router.toml");
    const AxisConfig& x = m.axes[kX];
    EXPECT_TRUE(x.present);
    EXPECT_EQ(x.card, 0);
    EXPECT_EQ(x.axis, 0);
    EXPECT_DOUBLE_EQ(x.pulsesPerUnit, 1000);
    EXPECT_DOUBLE_EQ(x.maxFeed, 12000);
    EXPECT_DOUBLE_EQ(x.maxAccel, 1500);
    EXPECT_DOUBLE_EQ(x.startSpeed, 60);
    EXPECT_DOUBLE_EQ(x.softMin, -1);
    EXPECT_DOUBLE_EQ(x.softMax, 400);
    EXPECT_EQ(x.homeOrder, 2);
    EXPECT_EQ(x.homeMode, KTR4_HOME_ORG_EZ);
    EXPECT_EQ(x.homeDirection, KTR4_HOME_DIR_MINUS);
    EXPECT_EQ(m.axes[kY].direction, -1);
    EXPECT_EQ(m.axes[kY].homeMode, KTR4_HOME_ORG_EZ);  // by its full name
    EXPECT_EQ(m.axes[kZ].homeMode, KTR4_HOME_ORG_BACK_FWD);
    EXPECT_EQ(m.axes[kZ].homeDirection, KTR4_HOME_DIR_PLUS);
    EXPECT_EQ(m.axes[kA].card, 1);
    EXPECT_EQ(m.axes[kA].homeOrder, 0);
    EXPECT_DOUBLE_EQ(m.cornerTolerance, 0.01);
    ASSERT_NE(m.output(3), nullptr);
    EXPECT_EQ(m.output(3)->point, KTR4_OUT_OUT2);
    EXPECT_TRUE(m.output(3)->on);
    EXPECT_EQ(m.output(7)->point, KTR4_OUT_TTL_0);
    EXPECT_EQ(m.output(9)->point, 4);
    EXPECT_FALSE(m.output(9)->on);
    EXPECT_EQ(m.output(8), nullptr);
    // Y runs reversed: + program motion is - pulses, rounded to the nearest pulse.
    EXPECT_EQ(m.axes[kY].toPulses(1.2345), -1235);
    EXPECT_EQ(m.axes[kX].toPulses(-0.0004), 0);
}

TEST(MachineFile, DefaultsAndEveryHomingModeName)
{
    const Machine m = parseMachine(kAxisX);
    EXPECT_FALSE(m.axes[kY].present);
    EXPECT_EQ(m.axes[kX].direction, 1);
    EXPECT_DOUBLE_EQ(m.axes[kX].startSpeed, 0);
    EXPECT_DOUBLE_EQ(m.chordTolerance, 0.002);
    EXPECT_EQ(homeModeNames().size(), 13u);
    for (size_t code = 0; code < homeModeNames().size(); ++code) {
        EXPECT_EQ(homeModeByName(homeModeNames()[code]), static_cast<int>(code));
        EXPECT_EQ(homeModeByName("KTR4_HOME_" + homeModeNames()[code]), static_cast<int>(code));
    }
    EXPECT_FALSE(homeModeByName("org_ez"));
    EXPECT_FALSE(homeModeByName("KTR4_HOME_"));
}

struct BadValue {
    std::string key, value, expected;  // expected: a part of the message
};

TEST(MachineFile, BadValuesNameKeyValueAndRange)
{
    const BadValue cases[] = {
        {"card", "16", "m.toml:3:8: axis.X.card = 16: must be an integer 0..15"},
        {"axis", "-1", "axis.X.axis = -1: must be an integer 0..3"},
        {"axis", "1.5", "axis.X.axis = 1.5: must be an integer 0..3"},
        {"pulses_per_unit", "0", "axis.X.pulses_per_unit = 0: must be greater than 0 and at most 1000000"},
        {"pulses_per_unit", "\"many\"", "axis.X.pulses_per_unit = \"many\": must be a number greater than 0"},
        {"pulses_per_unit", "nan", "axis.X.pulses_per_unit = nan: must be greater than 0"},
        // 6 553 500 pps at 1000 pulses per mm is 393 210 mm/min.
        {"max_feed", "400000", "axis.X.max_feed = 400000: must be greater than 0 and at most 393210"},
        {"max_accel", "-5", "axis.X.max_accel = -5: must be greater than 0"},
        {"start_speed", "7000", "axis.X.start_speed = 7000: must be at least 0 and at most 6000"},
        {"soft_limit_max", "0", "axis.X.soft_limit_max = 0: must be greater than soft_limit_min (0)"},
        {"soft_limit_min", "-3e6",
         "axis.X.soft_limit_min = -3000000.0: must be at least -2147483.647 and at most 2147483.647"},
        {"direction", "\"backwards\"", "axis.X.direction = \"backwards\": must be one of \"normal\", \"reversed\""},
        {"home_order", "5", "axis.X.home_order = 5: must be an integer 0..4"},
        {"home_order", "1", "axis.X.home_mode is missing: the axis has a home_order"},
        {"home_mode", "\"ORG_FAST\"", "axis.X.home_mode = \"ORG_FAST\": must be a homing mode of the card"},
        {"home_direction", "\"up\"", "axis.X.home_direction = \"up\": must be one of \"plus\", \"minus\""},
        {"pulses_per_mm", "1000", "axis.X.pulses_per_mm is not a known key"},
    };
    for (const BadValue& c : cases)
        EXPECT_NE(errorOf(withX(c.key, c.value)).find(c.expected), std::string::npos)
            << c.key << " = " << c.value << " gave: " << errorOf(withX(c.key, c.value));
}

TEST(MachineFile, MissingKeysAndSectionsAreNamed)
{
    std::string noFeed = kAxisX;
    noFeed.erase(noFeed.find("max_feed"), std::string("max_feed = 6000\n").size());
    EXPECT_NE(errorOf(noFeed).find("axis.X.max_feed is missing"), std::string::npos) << errorOf(noFeed);
    EXPECT_NE(errorOf("[path]\ncorner_tolerance = 0.01\n").find("axis is missing"), std::string::npos);
    EXPECT_NE(errorOf("[axis]\n").find("axis is empty"), std::string::npos);
    EXPECT_NE(errorOf(kAxisX + "[axis.B]\ncard = 0\n").find("axis.B is not a known key"), std::string::npos);
    EXPECT_NE(errorOf(kAxisX + "[path]\ncorner_tolerance = 11\n").find("path.corner_tolerance = 11"),
              std::string::npos);
    EXPECT_NE(errorOf(kAxisX + "[spindle]\n").find("spindle is not a known key"), std::string::npos);
}

TEST(MachineFile, TwoProgramAxesMayNotShareCardAxisOrHomingPlace)
{
    std::string y = kAxisX;
    y.replace(y.find("axis.X"), 6, "axis.Y");
    EXPECT_NE(errorOf(kAxisX + y).find("axis.Y drives card 0 axis 0, which axis X already drives"), std::string::npos)
        << errorOf(kAxisX + y);
    y.replace(y.find("axis = 0"), 8, "axis = 1");
    EXPECT_EQ(errorOf(kAxisX + y), "(loaded)");
    const std::string homed = "home_order = 1\nhome_mode = \"ORG\"\n";
    EXPECT_NE(errorOf(kAxisX + homed + y + homed).find("axis.Y.home_order = 1: axis X already homes"),
              std::string::npos)
        << errorOf(kAxisX + homed + y + homed);
}

TEST(MachineFile, MCodeMappings)
{
    const std::string ok = "[mcode.M8]\ncard = 0\naxis = 0\npoint = \"KTR4_OUT_SVON\"\non = true\n";
    EXPECT_EQ(parseMachine(kAxisX + ok).output(8)->point, KTR4_OUT_SVON);
    EXPECT_NE(errorOf(kAxisX + "[mcode.M30]\ncard = 0\naxis = 0\npoint = 2\non = true\n")
                  .find("mcode.M30 is not a user M-code"),
              std::string::npos);
    EXPECT_NE(errorOf(kAxisX + "[mcode.spindle]\n").find("mcode.spindle is not a user M-code"), std::string::npos);
    EXPECT_NE(errorOf(kAxisX + "[mcode.M100]\ncard = 0\naxis = 0\npoint = 12\non = true\n")
                  .find("mcode.M100.point = 12: must be 0..11 or one of SVON"),
              std::string::npos);
    EXPECT_NE(errorOf(kAxisX + "[mcode.M100]\ncard = 0\naxis = 0\npoint = \"TTL_8\"\non = true\n")
                  .find("mcode.M100.point = \"TTL_8\""),
              std::string::npos);
    EXPECT_NE(errorOf(kAxisX + "[mcode.M100]\ncard = 0\naxis = 0\npoint = 2\non = 1\n")
                  .find("mcode.M100.on = 1: must be true or false"),
              std::string::npos);
}

TEST(MachineFile, UnreadableOrMalformedFileSaysWhere)
{
    EXPECT_THROW(loadMachineFile("/nonexistent/machine.toml"), MachineError);
    try {
        parseMachine(kAxisX + "max_feed = = 3\n", "bad.toml");
        FAIL() << "loaded";
    } catch (const MachineError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("bad.toml:10:", 0), 0u) << e.what();
        EXPECT_EQ(e.line(), 10);
    }
}

}  // namespace
}  // namespace ktr4path
