// The machine a part program runs on: which card axis drives each program axis, its scale, its
// limits, its homing, and which output point each user M-code switches.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace ktr4path {

// Program axes in the order of their words; A is rotary (degrees), the others linear (mm).
enum AxisIndex { kX = 0, kY = 1, kZ = 2, kA = 3, kAxisCount = 4 };
inline constexpr std::array<char, kAxisCount> kAxisLetters {'X', 'Y', 'Z', 'A'};

// The card's fastest pulse rate (pps) for any move.
inline constexpr double kCardMaxPulseRate = 6553500.0;

struct AxisConfig {
    bool present = false;
    int card = 0;  // 0..15
    int axis = 0;  // 0..3
    double pulsesPerUnit = 0;  // pulses per mm (per degree for A)
    int direction = 1;  // +1: + program motion is + pulses; -1 reversed
    double maxFeed = 0;  // units/min
    double maxAccel = 0;  // units/s²
    double startSpeed = 0;  // units/min, where the card's ramps begin and end
    double softMin = 0;  // units, machine coordinates
    double softMax = 0;
    int homeOrder = 0;  // 1..4 in the order axes home; 0: the axis is not homed
    int homeMode = 0;  // KTR4_HOME_* code
    int homeDirection = 0;  // KTR4_HOME_DIR_PLUS or KTR4_HOME_DIR_MINUS

    // The pulse position of a program coordinate, rounded to the nearest pulse.
    int64_t toPulses(double units) const;
};

// A user M-code (M3, M5, M7, ...) sets one output point of one card axis on or off.
struct OutputMapping {
    int mcode = 0;
    int card = 0;
    int axis = 0;
    int point = 0;  // KTR4_write_output_point's point, 0..11
    bool on = false;
};

struct Machine {
    std::array<AxisConfig, kAxisCount> axes;
    double cornerTolerance = 0.01;  // mm the path may leave a corner by to keep speed
    double chordTolerance = 0.002;  // mm an arc's chords may leave the arc by
    std::vector<OutputMapping> outputs;

    const OutputMapping* output(int mcode) const;
};

// A machine file that cannot be used; the text names the key, the value and what is allowed.
// The text starts with the file's name and, when the fault has a place, its line and column.
class MachineError : public std::runtime_error {
public:
    MachineError(const std::string& what, int line, int column)
        : std::runtime_error(what)
        , line_(line)
        , column_(column)
    {
    }
    int line() const { return line_; }  // from 1; 0 when the fault has no place
    int column() const { return column_; }

private:
    int line_;
    int column_;
};

// Reads and checks a machine description (TOML). Throws MachineError.
Machine loadMachineFile(const std::string& path);
Machine parseMachine(const std::string& text, const std::string& sourceName = "machine");

// Homing mode by the card's name, with or without the KTR4_HOME_ prefix ("ORG_EZ",
// "KTR4_HOME_ORG_EZ"); empty when the name is not one of the card's modes.
std::optional<int> homeModeByName(const std::string& name);
// Every homing mode name (without prefix) in code order, for messages and documents.
const std::vector<std::string>& homeModeNames();
// Output point by its name, with or without the KTR4_OUT_ prefix: SVON, ARST, OUT2, ERC,
// TTL_0..TTL_7.
std::optional<int> outputPointByName(const std::string& name);

}  // namespace ktr4path
