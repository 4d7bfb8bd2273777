#pragma once

#include "answers/byte_pattern.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace tessa {

// A frame to send: text or hexadecimal text ("01 03 00 00", the frame boxes' form), then the
// terminal's usual options: CR LF after text, an additive checksum byte (the sum of the bytes
// before it, modulo 256), a Modbus CRC-16 (low byte first).
struct FrameSpec {
    bool hex = false;
    QString data;
    bool crLf = false;  // text only
    bool checksum = false;
    bool crc = false;  // applied after the checksum, when both are set

    bool operator==(const FrameSpec&) const = default;
};

// The bytes of wanted; nullopt with the reason in error when the hexadecimal text is not pairs
// 00..FF. Example: {hex=true, data="01 03 00 00 00 01", crc=true} gives 01 03 00 00 00 01 84 0A.
std::optional<QByteArray> frameBytes(const FrameSpec& wanted, QString* error = nullptr);

// "When this arrives, do that."
struct AnswerRule {
    enum class Action {
        Send,  // send frame
        Note,  // add note to the traffic log
        Count,  // only count the match
        StopRun,  // stop a running program or script
    };
    QString name;
    bool enabled = true;
    BytePattern::Form form = BytePattern::Form::Text;
    QString pattern;
    Action action = Action::Count;
    FrameSpec frame;  // Send
    QString note;  // Note

    bool operator==(const AnswerRule&) const = default;
};

// The action's name in stored rules and captions: "send", "note", "count", "stop".
QString answerActionName(AnswerRule::Action action);
std::optional<AnswerRule::Action> answerActionFromName(QStringView name);

// Why rule cannot be used (bad pattern, bad frame); empty when it can.
QString answerRuleProblem(const AnswerRule& rule);

}  // namespace tessa
