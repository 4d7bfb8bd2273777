#include "command_lines.h"

#include <charconv>
#include <optional>

namespace tessa_device {

namespace {

const std::string kEnd = "\r\n";

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

std::optional<std::int64_t> number(std::string_view text)
{
    text = trimmed(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::string bits(unsigned value, int count)
{
    std::string text;
    for (int bit = count - 1; bit >= 0; --bit)
        text += (value >> bit & 1u) ? '1' : '0';
    return text;
}

std::string line(const std::string& text)
{
    return text + kEnd;
}

}  // namespace

LineReply CommandLines::answer(std::string_view rawLine, Millis now)
{
    const std::string_view text = trimmed(rawLine);
    const std::int64_t position = state_.axis.position(now);
    const bool home = position == 0;
    const bool limitPlus = position >= DeviceState::kTravelLimit;
    const bool limitMinus = position <= -DeviceState::kTravelLimit;

    if (text == "ver")
        return {line("VER tessa-device 1.00")};
    if (text == "test")
        return {line("TEST OK")};
    if (text == "rse")  // special inputs: emergency, limit -, limit +, home
        return {line("SIO=" + bits((limitMinus << 2) | (limitPlus << 1) | home, 4))};
    if (text == "rout")
        return {line("OUT=" + bits(state_.outputs, 4))};
    if (text == "rby")
        return {line(std::string("BUSY=") + (state_.axis.jogging() || state_.programRunning ? "1" : "0"))};
    if (text == "c54")  // the bench wires every output back to the input of the same number
        return {line("IN=" + bits(state_.outputs, 4))};
    if (text == "c85")
        return {line("SENSOR=" + bits((limitMinus << 2) | (limitPlus << 1) | home, 3))};
    if (text == "c53")
        return {line("POS=" + std::to_string(position))};
    if (text == "c52")
        return {line("SPD=" + std::to_string(state_.axis.speed()))};
    if (text == "c56")
        return {fileText(state_.program)};
    if (text == "c57")
        return {fileText(state_.parameters)};
    if (text == "c77")
        return {line("SAVED")};
    if (text == "c44") {
        state_.axis.stopJog(now);
        state_.axis.moveTo(0, now);
        return {line("HOME OK")};
    }
    if (text == "c43") {
        state_.programRunning = true;
        return {line("RUN")};
    }
    if (text == "c45") {
        state_.programRunning = false;
        state_.axis.stopJog(now);
        return {line("STOP POS=" + std::to_string(state_.axis.position(now)))};
    }
    if (text == "c73")
        return {line("READY PROGRAM"), LineReply::Then::ReceiveProgram};
    if (text == "c83")
        return {line("READY PARAMETERS"), LineReply::Then::ReceiveParameters};

    const std::size_t equals = text.find('=');
    if (equals != std::string_view::npos) {
        const std::string_view command = text.substr(0, equals);
        const std::string_view value = text.substr(equals + 1);
        if (command == "c69" || command == "c71")
            return {setOutputs(command, value, command == "c69")};
        if (command == "c99") {  // encoder channel 0 counts the axis, the others stand still
            const auto channel = number(value);
            if (!channel || *channel < 0)
                return {line("ERR c99 needs an encoder number")};
            return {line("ENC" + std::to_string(*channel) + "=" + std::to_string(*channel == 0 ? position : 0))};
        }
        if (command == "c41") {
            const auto target = number(value);
            if (!target || *target > DeviceState::kTravelLimit || *target < -DeviceState::kTravelLimit)
                return {line("ERR c41 needs a position from -8300000 to 8300000")};
            state_.axis.stopJog(now);
            state_.axis.moveTo(*target, now);
            return {line("ABS=" + std::to_string(*target))};
        }
    }
    const std::size_t comma = text.rfind(',');
    if (comma != std::string_view::npos)
        return {driveCommand(text.substr(0, comma), text.substr(comma + 1))};
    return {line("ERR unknown command " + std::string(text))};
}

std::string CommandLines::setOutputs(std::string_view command, std::string_view pattern, bool on)
{
    if (pattern.size() != 4 || pattern.find_first_not_of("01") != std::string_view::npos)
        return line("ERR " + std::string(command) + " needs four digits 0 or 1 (Out 3 to Out 0)");
    unsigned chosen = 0;
    for (char digit : pattern)
        chosen = chosen << 1 | (digit == '1' ? 1u : 0u);
    state_.outputs = static_cast<std::uint8_t>(on ? (state_.outputs | chosen) : (state_.outputs & ~chosen & 0x0Fu));
    return line("OUT=" + bits(state_.outputs, 4));
}

std::string CommandLines::driveCommand(std::string_view command, std::string_view idText)
{
    const auto id = number(idText);
    if (!id || *id < 0 || *id > 63)
        return line("ERR drive number must be 0 to 63");
    const std::string prefix = std::to_string(*id) + ":";
    const std::size_t equals = command.find('=');
    if (equals == std::string_view::npos)
        return line(prefix + "ERR expected NAME=VALUE");
    const std::string_view name = trimmed(command.substr(0, equals));
    const auto value = number(command.substr(equals + 1));
    std::int64_t& drive = state_.drivePositions[static_cast<int>(*id)];
    if (name == "REL" || name == "ABS") {
        if (!value)
            return line(prefix + "ERR " + std::string(name) + " needs a number");
        std::int64_t target = *value;
        if (name == "REL" && __builtin_add_overflow(drive, *value, &target))
            return line(prefix + "ERR REL goes past the position range");
        drive = target;
        return line(prefix + "OK POS=" + std::to_string(drive));
    }
    return line(prefix + "OK " + std::string(command));
}

std::string CommandLines::fileText(const std::string& file) const
{
    std::string text = file;
    if (!text.empty() && text.back() != '\n')
        text += kEnd;
    return text + line("END");
}

}  // namespace tessa_device
