#include "simulated_device.h"

#include "modbus_crc.h"

#include <cstdio>

namespace tessa_device {

namespace {

constexpr std::uint8_t kAck = 0x06;
constexpr std::uint8_t kNak = 0x15;
const std::string kHmiProbe = "0930";

// Text (line ends written as \r \n) when it is text, else hexadecimal.
std::string shown(const Bytes& bytes)
{
    std::string text;
    for (std::uint8_t b : bytes) {
        if (b == '\r')
            text += "\\r";
        else if (b == '\n')
            text += "\\n";
        else if (b >= 0x20 && b <= 0x7E)
            text += static_cast<char>(b);
        else
            return hexText(bytes);
    }
    return "\"" + text + "\"";
}

bool looksLikeRequest(const Bytes& burst, std::uint8_t slaveId)
{
    if (burst.size() < 2 || (burst[0] != slaveId && burst[0] != 0))
        return false;
    const std::uint8_t function = burst[1];
    return function == 0x03 || function == 0x04 || function == 0x06 || function == 0x10;
}

}  // namespace

std::string hexText(const Bytes& bytes)
{
    std::string text;
    char digits[4];
    for (std::uint8_t b : bytes) {
        std::snprintf(digits, sizeof digits, "%02X", b);
        if (!text.empty())
            text += ' ';
        text += digits;
    }
    return text;
}

SimulatedDevice::SimulatedDevice(DeviceOptions options)
    : options_(std::move(options))
    , splitter_(options_.timing)
    , lines_(state_)
    , modbus_(options_.slaveId)
{
    if (!options_.downloadDir.empty())
        folder_.emplace(options_.downloadDir);
}

Bytes SimulatedDevice::receive(const Bytes& bytes, Millis now)
{
    splitter_.feed(bytes, now);
    return poll(now);
}

Bytes SimulatedDevice::poll(Millis now)
{
    Bytes replies;
    // One message at a time: answering one may change how the next is cut.
    while (const std::optional<Message> message = splitter_.takeOne(now)) {
        const Bytes reply = answer(*message, now);
        replies.insert(replies.end(), reply.begin(), reply.end());
    }
    return replies;
}

Bytes SimulatedDevice::answer(const Message& message, Millis now)
{
    Bytes reply;
    switch (message.kind) {
    case Message::Kind::Line: {
        log("line   <- " + shown(message.bytes));
        LineReply answer = lines_.answer(textOf(message.bytes), now);
        awaiting_ = answer.then;
        if (awaiting_ != LineReply::Then::Nothing)
            splitter_.expectDownload(now);
        reply = bytesOf(answer.text);
        break;
    }
    case Message::Kind::LineTooLong:
        log("line   <- " + shown(message.bytes) + "... (too long, dropped up to its end)");
        reply = bytesOf("ERR line too long (over " + std::to_string(StreamSplitter::kLongestLine) + " characters)\r\n");
        break;
    case Message::Kind::Jog:
        log("jog    <- " + hexText(message.bytes));
        reply = answerJog(message.bytes, now);
        break;
    case Message::Kind::Modbus:
        log("modbus <- " + hexText(message.bytes)
            + (message.bytes[0] == options_.slaveId || message.bytes[0] == 0 ? ""
                                                                             : " (another slave's: not answered)"));
        reply = modbus_.answer(message.bytes);
        break;
    case Message::Kind::Burst:
        log("frame  <- " + shown(message.bytes));
        reply = answerBurst(message.bytes);
        break;
    case Message::Kind::Download:
        log("file   <- " + std::to_string(message.bytes.size() + message.bytesOverLimit) + " bytes");
        reply = storeDownload(message);
        break;
    }
    if (!reply.empty())
        log("          -> " + shown(reply));
    return reply;
}

Bytes SimulatedDevice::answerJog(const Bytes& frame, Millis now)
{
    const bool negative = (frame[1] & 0x80) != 0;
    switch (frame[0]) {
    case 0xE3:
        state_.axis.step(negative, now);
        break;
    case 0xD8:
        state_.axis.startJog(negative, now);
        break;
    default:  // E6: released
        state_.axis.stopJog(now);
        break;
    }
    return {};  // jog frames are not answered; "c53" tells where the axis went
}

Bytes SimulatedDevice::answerBurst(const Bytes& burst)
{
    if (textOf(burst) == kHmiProbe)
        return bytesOf("TT" + kHmiProbe + " HMI\r\n");
    // A Modbus request with a function this slave lacks: exception 01. Another slave's: silence.
    if (burst.size() >= 4 && hasValidCrc(burst.data(), burst.size()))
        return modbus_.answer(burst);
    // The start of a request to this slave that never got its end: a slave stays silent.
    if (looksLikeRequest(burst, options_.slaveId))
        return {};
    // A checksum frame: the last byte should be the sum of the others, modulo 256.
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i + 1 < burst.size(); ++i)
        sum = static_cast<std::uint8_t>(sum + burst[i]);
    if (burst.size() >= 2 && burst.back() == sum)
        return {kAck, sum};
    return {kNak, sum};
}

Bytes SimulatedDevice::storeDownload(const Message& file)
{
    const bool program = awaiting_ == LineReply::Then::ReceiveProgram;
    awaiting_ = LineReply::Then::Nothing;
    const std::string kind = program ? "PROGRAM" : "PARAMETERS";
    const std::size_t size = file.bytes.size() + file.bytesOverLimit;
    if (file.bytesOverLimit > 0)  // refused whole: the stored file stays as it was
        return bytesOf("ERR " + kind + " TOO LARGE: " + std::to_string(size) + " BYTES, AT MOST "
                       + std::to_string(StreamSplitter::kLongestDownload) + "\r\n");
    (program ? state_.program : state_.parameters) = textOf(file.bytes);
    std::string answer = kind + " " + std::to_string(size) + " BYTES";
    if (folder_) {
        const DownloadFolder::Kept kept = folder_->keep(program ? "program" : "parameters", file.bytes);
        if (kept.path) {
            saved_.push_back(*kept.path);
            log("          kept in " + kept.path->string());
        } else {
            answer += " (NOT KEPT: " + kept.problem + ")";
            log("          not kept in " + options_.downloadDir.string() + ": " + kept.problem);
        }
    }
    return bytesOf(answer + "\r\n");
}

void SimulatedDevice::log(const std::string& text) const
{
    if (log_)
        log_(text);
}

}  // namespace tessa_device
