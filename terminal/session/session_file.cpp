#include "session/session_file.h"

#include "answers/answer_store.h"
#include "poll/register_format.h"
#include "serial/port_number.h"
#include "settings/startup_settings.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>

#include <array>

using namespace Qt::StringLiterals;

namespace tessa {

namespace {

constexpr int kVersion = 1;
constexpr qint64 kMaxFileBytes = 16 * 1024 * 1024;
const QString kFormat = u"tessa-session"_s;

constexpr std::array kParityNames {"none", "even", "odd", "mark", "space"};
constexpr std::array kFlowNames {"none", "rts-cts", "xon-xoff"};

template <typename Names> int nameIndex(const Names& names, const QString& name)
{
    for (size_t i = 0; i < names.size(); ++i)
        if (name == QLatin1StringView(names[i]))
            return static_cast<int>(i);
    return -1;
}

template <typename Names> QString nameList(const Names& names)
{
    QStringList list;
    for (const char* name : names)
        list << QString::fromLatin1(name);
    return list.join(u", "_s);
}

// A whole number in a JSON value, or nullopt (a string, a fraction, a bool).
std::optional<qint64> wholeNumber(const QJsonValue& value)
{
    if (!value.isDouble())
        return std::nullopt;
    const double d = value.toDouble();
    if (d != static_cast<double>(static_cast<qint64>(d)))
        return std::nullopt;
    return static_cast<qint64>(d);
}

class Reader {
public:
    QString error;

    bool fail(const QString& key, const QString& reason)
    {
        error = key + u": "_s + reason;
        return false;
    }

    // An object under key (absent: empty), or false when it is something else.
    bool object(const QJsonObject& parent, const QString& key, QJsonObject& out)
    {
        const QJsonValue value = parent.value(key);
        if (value.isUndefined())
            return true;
        if (!value.isObject())
            return fail(key, u"not an object"_s);
        out = value.toObject();
        return true;
    }

    bool number(const QJsonObject& parent, const QString& key, const QString& path, qint64 low, qint64 high, auto& out)
    {
        const QJsonValue value = parent.value(key);
        if (value.isUndefined())
            return true;
        const auto n = wholeNumber(value);
        if (!n || *n < low || *n > high)
            return fail(path, u"not a whole number %1..%2"_s.arg(low).arg(high));
        out = static_cast<std::remove_reference_t<decltype(out)>>(*n);
        return true;
    }

    bool text(const QJsonObject& parent, const QString& key, const QString& path, QString& out)
    {
        const QJsonValue value = parent.value(key);
        if (value.isUndefined())
            return true;
        if (!value.isString())
            return fail(path, u"not a text"_s);
        out = value.toString();
        return true;
    }

    bool line(const QJsonObject& object, LineSettings& line)
    {
        QJsonValue baud = object.value(u"baud"_s);
        if (!baud.isUndefined()) {
            const auto n = wholeNumber(baud);
            if (!n || !baudRateTexts().contains(QString::number(*n)))
                return fail(u"line.baud"_s, u"not one of %1"_s.arg(baudRateTexts().join(u", "_s)));
            line.baudRate = static_cast<qint32>(*n);
        }
        QString parity = nameIndexText(kParityNames, line.parity);
        if (!text(object, u"parity"_s, u"line.parity"_s, parity))
            return false;
        const int parityIndex = nameIndex(kParityNames, parity);
        if (parityIndex < 0)
            return fail(u"line.parity"_s, u"not one of %1"_s.arg(nameList(kParityNames)));
        line.parity = static_cast<LineSettings::Parity>(parityIndex);
        if (!number(object, u"dataBits"_s, u"line.dataBits"_s, 5, 8, line.dataBits))
            return false;
        QString stop = line.stopBits == LineSettings::kOneAndHalfStopBits ? u"1.5"_s : QString::number(line.stopBits);
        if (!text(object, u"stopBits"_s, u"line.stopBits"_s, stop))
            return false;
        if (stop == u"1" || stop == u"2")
            line.stopBits = stop.toInt();
        else if (stop == u"1.5")
            line.stopBits = LineSettings::kOneAndHalfStopBits;
        else
            return fail(u"line.stopBits"_s, u"not \"1\", \"1.5\" or \"2\""_s);
        QString flow = nameIndexText(kFlowNames, line.flowControl);
        if (!text(object, u"flow"_s, u"line.flow"_s, flow))
            return false;
        const int flowIndex = nameIndex(kFlowNames, flow);
        if (flowIndex < 0)
            return fail(u"line.flow"_s, u"not one of %1"_s.arg(nameList(kFlowNames)));
        line.flowControl = static_cast<LineSettings::FlowControl>(flowIndex);
        return true;
    }

    bool answers(const QJsonObject& object, Session& session)
    {
        if (!number(object, u"actionsPerSecond"_s, u"answers.actionsPerSecond"_s, 1, 1000,
                    session.answerActionsPerSecond))
            return false;
        const QJsonValue rules = object.value(u"rules"_s);
        if (rules.isUndefined())
            return true;
        if (!rules.isArray())
            return fail(u"answers.rules"_s, u"not a list"_s);
        QString reason;
        const auto parsed = answerRulesFromJson(
            QString::fromUtf8(QJsonDocument(rules.toArray()).toJson(QJsonDocument::Compact)), &reason);
        if (!parsed)
            return fail(u"answers.rules"_s, reason);
        for (qsizetype i = 0; i < parsed->size(); ++i)
            if (const QString problem = answerRuleProblem(parsed->at(i)); !problem.isEmpty())
                return fail(u"answers.rules"_s, u"rule %1: %2"_s.arg(i + 1).arg(problem));
        session.answerRules = *parsed;
        return true;
    }

    bool panels(const QJsonObject& object, Session& session)
    {
        for (const QString& key : panelSettingKeys()) {
            QString value;
            const bool present = object.contains(key);
            if (!text(object, key, u"panels."_s + key, value))
                return false;
            if (present)
                session.panelValues.append({key, value});
        }
        return true;
    }

    bool poll(const QJsonObject& object, PollPanelState& poll)
    {
        if (!text(object, u"request"_s, u"poll.request"_s, poll.request)
            || !number(object, u"periodMs"_s, u"poll.periodMs"_s, 0, 3600000, poll.periodMs)
            || !number(object, u"count"_s, u"poll.count"_s, 0, 100000000, poll.count)
            || !text(object, u"expect"_s, u"poll.expect"_s, poll.expect)
            || !text(object, u"format"_s, u"poll.format"_s, poll.format)
            || !text(object, u"wordOrder"_s, u"poll.wordOrder"_s, poll.wordOrder)
            || !text(object, u"csv"_s, u"poll.csv"_s, poll.csv))
            return false;
        if (!registerFormatFromName(poll.format))
            return fail(u"poll.format"_s, u"not int16, uint16, hex, int32 or float32"_s);
        if (!wordOrderFromName(poll.wordOrder))
            return fail(u"poll.wordOrder"_s, u"not high-first or low-first"_s);
        return true;
    }

private:
    template <typename Names, typename Enum> static QString nameIndexText(const Names& names, Enum value)
    {
        return QString::fromLatin1(names[static_cast<size_t>(value)]);
    }
};

// Lays known over kept, one level into objects both have, so that unknown keys inside the
// known sections stay.
QJsonObject merged(QJsonObject kept, const QJsonObject& known)
{
    for (auto it = known.begin(); it != known.end(); ++it) {
        const QJsonValue old = kept.value(it.key());
        if (old.isObject() && it.value().isObject()) {
            QJsonObject inner = old.toObject();
            const QJsonObject fresh = it.value().toObject();
            for (auto in = fresh.begin(); in != fresh.end(); ++in)
                inner.insert(in.key(), in.value());
            kept.insert(it.key(), inner);
        } else {
            kept.insert(it.key(), it.value());
        }
    }
    return kept;
}

}  // namespace

std::optional<Session> parseSession(const QByteArray& json, QString* error)
{
    auto refuse = [&](const QString& reason) -> std::optional<Session> {
        if (error)
            *error = reason;
        return std::nullopt;
    };
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return refuse(u"not JSON: %1 at byte %2"_s.arg(parseError.errorString()).arg(parseError.offset));
    if (!document.isObject())
        return refuse(u"not a tessa session (not a JSON object)"_s);
    const QJsonObject root = document.object();
    if (root.value(u"format"_s).toString() != kFormat)
        return refuse(u"not a tessa session (\"format\" is not \"%1\")"_s.arg(kFormat));
    const auto version = wholeNumber(root.value(u"version"_s));
    if (!version || *version < 1)
        return refuse(u"version: not a whole number from 1"_s);
    if (*version > kVersion)
        return refuse(u"version %1 is newer than this tessa reads (%2)"_s.arg(*version).arg(kVersion));

    Session session;
    Reader reader;
    QJsonObject line;
    QJsonObject answers;
    QJsonObject panels;
    QJsonObject poll;
    const bool ok = reader.number(root, u"port"_s, u"port"_s, 1, kHighestPortNumber, session.portNumber)
        && reader.object(root, u"line"_s, line) && reader.line(line, session.line)
        && reader.object(root, u"answers"_s, answers) && reader.answers(answers, session)
        && reader.text(root, u"script"_s, u"script"_s, session.lastScript) && reader.object(root, u"panels"_s, panels)
        && reader.panels(panels, session) && reader.object(root, u"poll"_s, poll) && reader.poll(poll, session.poll);
    if (!ok)
        return refuse(reader.error);
    session.kept = root;
    return session;
}

QByteArray sessionJson(const Session& session)
{
    const LineSettings& l = session.line;
    const QJsonObject line {
        {u"baud"_s, l.baudRate},
        {u"parity"_s, QString::fromLatin1(kParityNames[static_cast<size_t>(l.parity)])},
        {u"dataBits"_s, l.dataBits},
        {u"stopBits"_s, l.stopBits == LineSettings::kOneAndHalfStopBits ? u"1.5"_s : QString::number(l.stopBits)},
        {u"flow"_s, QString::fromLatin1(kFlowNames[static_cast<size_t>(l.flowControl)])},
    };
    const QJsonObject answers {
        {u"actionsPerSecond"_s, session.answerActionsPerSecond},
        {u"rules"_s, QJsonDocument::fromJson(answerRulesJson(session.answerRules).toUtf8()).array()},
    };
    QJsonObject panels;
    for (const auto& [key, text] : session.panelValues)
        panels.insert(key, text);
    const PollPanelState& p = session.poll;
    const QJsonObject poll {
        {u"request"_s, p.request}, {u"periodMs"_s, p.periodMs},   {u"count"_s, p.count}, {u"expect"_s, p.expect},
        {u"format"_s, p.format},   {u"wordOrder"_s, p.wordOrder}, {u"csv"_s, p.csv},
    };
    const QJsonObject known {
        {u"format"_s, kFormat},  {u"version"_s, kVersion},          {u"port"_s, session.portNumber}, {u"line"_s, line},
        {u"answers"_s, answers}, {u"script"_s, session.lastScript}, {u"panels"_s, panels},           {u"poll"_s, poll},
    };
    return QJsonDocument(merged(session.kept, known)).toJson(QJsonDocument::Indented);
}

std::optional<Session> readSessionFile(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    if (file.size() > kMaxFileBytes) {
        if (error)
            *error = u"larger than %1 MiB"_s.arg(kMaxFileBytes / (1024 * 1024));
        return std::nullopt;
    }
    return parseSession(file.readAll(), error);
}

bool writeSessionFile(const QString& path, const Session& session, QString* error)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(sessionJson(session));
        if (file.commit())
            return true;
    }
    if (error)
        *error = file.errorString();
    return false;
}

}  // namespace tessa
