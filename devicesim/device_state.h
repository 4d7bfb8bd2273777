#pragma once

#include "motion_axis.h"

#include <map>
#include <string>

namespace tessa_device {

// What the simulated motion controller remembers between commands.
struct DeviceState {
    static constexpr std::int64_t kTravelLimit = 8300000;  // the limit switches, in pulses

    MotionAxis axis;
    std::uint8_t outputs = 0;  // bit n is "Out n"
    bool programRunning = false;
    std::string program = "N001 ABS=0\r\nN002 REL=1600\r\nN003 END\r\n";
    std::string parameters = "P01=1000\r\nP02=200\r\nP03=1600\r\n";
    // Positions of the drives addressed by number on the command rows ("REL=1600,3").
    std::map<int, std::int64_t> drivePositions;
};

}  // namespace tessa_device
