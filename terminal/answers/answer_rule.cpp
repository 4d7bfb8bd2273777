#include "answers/answer_rule.h"

#include "frames/crc16.h"
#include "frames/frame_text.h"

namespace tessa {

std::optional<QByteArray> frameBytes(const FrameSpec& wanted, QString* error)
{
    QByteArray bytes;
    if (wanted.hex) {
        const auto parsed = hexTextFrame(wanted.data.trimmed());
        if (!parsed) {
            if (error)
                *error = QStringLiteral("\"%1\" is not hexadecimal bytes (\"01 03 0A\")").arg(wanted.data);
            return std::nullopt;
        }
        bytes = *parsed;
    } else
        bytes = characterFrame(wanted.data, wanted.crLf);
    if (wanted.checksum) {
        unsigned sum = 0;
        for (const char b : bytes)
            sum += static_cast<std::uint8_t>(b);
        bytes.append(static_cast<char>(sum & 0xFF));
    }
    if (wanted.crc) {
        const std::uint16_t crc = modbusCrc16(bytes);
        bytes.append(static_cast<char>(crc & 0xFF));
        bytes.append(static_cast<char>(crc >> 8));
    }
    return bytes;
}

QString answerActionName(AnswerRule::Action action)
{
    switch (action) {
    case AnswerRule::Action::Send:
        return QStringLiteral("send");
    case AnswerRule::Action::Note:
        return QStringLiteral("note");
    case AnswerRule::Action::Count:
        return QStringLiteral("count");
    case AnswerRule::Action::StopRun:
        return QStringLiteral("stop");
    }
    return {};
}

std::optional<AnswerRule::Action> answerActionFromName(QStringView name)
{
    for (const auto action :
         {AnswerRule::Action::Send, AnswerRule::Action::Note, AnswerRule::Action::Count, AnswerRule::Action::StopRun}) {
        if (answerActionName(action) == name)
            return action;
    }
    return std::nullopt;
}

QString answerRuleProblem(const AnswerRule& rule)
{
    QString error;
    if (!BytePattern::parse(rule.pattern, rule.form, &error))
        return QStringLiteral("pattern \"%1\": %2").arg(rule.pattern, error);
    if (rule.action == AnswerRule::Action::Send && !frameBytes(rule.frame, &error))
        return QStringLiteral("frame: %1").arg(error);
    return {};
}

}  // namespace tessa
