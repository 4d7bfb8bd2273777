#pragma once

#include "device_state.h"

#include <string_view>

namespace tessa_device {

// The answer to one ASCII command line: the reply text (CR LF after each line) and whether a
// file download follows.
struct LineReply {
    enum class Then { Nothing, ReceiveProgram, ReceiveParameters };
    std::string text;
    Then then = Then::Nothing;
};

// Interprets the line-oriented commands ("ver", "rse", "c53", "c69=0001", "REL=1600,3", ...).
// Every line gets an answer, an unknown one "ERR ...", so the operator always sees a reaction.
class CommandLines {
public:
    explicit CommandLines(DeviceState& state)
        : state_(state)
    {
    }

    LineReply answer(std::string_view line, Millis now);

private:
    std::string setOutputs(std::string_view command, std::string_view pattern, bool on);
    std::string driveCommand(std::string_view command, std::string_view id);
    std::string fileText(const std::string& file) const;

    DeviceState& state_;
};

}  // namespace tessa_device
