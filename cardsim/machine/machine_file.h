// The machine file: the sensors, switches, alarm and encoder around the simulated cards' axes,
// in TOML (man 7 ktr4sim describes the format).
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "motion/axis_signals.h"

namespace ktr4sim {

// The axes of every card the file names, by card number (switch setting).
struct MachineDescription {
    std::map<uint8_t, std::array<motion::AxisMachine, 4>> cards;
};

// Reads and checks a whole machine file. A file that cannot be read, is not TOML, has a key the
// format does not know, a value out of its range or a contradiction gives none and a message
// naming the file, the line and the key.
std::optional<MachineDescription> read_machine_file(const std::string& path, std::string* message);

}  // namespace ktr4sim
