#include "poll/poll_request.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace tessa {

namespace {

std::optional<long> number(QStringView text)
{
    const QStringView trimmed = text.trimmed();
    bool ok = false;
    const long value =
        trimmed.startsWith(u"0x"_s, Qt::CaseInsensitive) ? trimmed.mid(2).toLong(&ok, 16) : trimmed.toLong(&ok, 10);
    if (!ok || (trimmed.startsWith(u"0x"_s, Qt::CaseInsensitive) && trimmed.size() == 2))
        return std::nullopt;
    return value;
}

template <typename T> std::optional<T> refuse(QString* error, const QString& reason)
{
    if (error)
        *error = reason;
    return std::nullopt;
}

}  // namespace

std::optional<ModbusRequest> parsePollRequest(QStringView text, QString* error)
{
    const QList<QStringView> fields = text.split(u',');
    if (fields.size() != 4)
        return refuse<ModbusRequest>(error, u"give slave,function,register,count or value (4 numbers)"_s);
    std::optional<long> values[4];
    for (int i = 0; i < 4; ++i)
        if (!(values[i] = number(fields[i])))
            return refuse<ModbusRequest>(error, u"\"%1\" is not a number"_s.arg(fields[i].trimmed()));
    const long slave = *values[0], function = *values[1], address = *values[2], last = *values[3];
    if (slave < 1 || slave > 247)
        return refuse<ModbusRequest>(error, u"slave %1 is not 1..247"_s.arg(slave));
    if (function != 3 && function != 4 && function != 6)
        return refuse<ModbusRequest>(error, u"function %1 is not 3, 4 or 6"_s.arg(function));
    if (address < 0 || address > 0xFFFF)
        return refuse<ModbusRequest>(error, u"register %1 is not 0..65535"_s.arg(address));
    if (function == 6 ? (last < 0 || last > 0xFFFF) : (last < 1 || last > 125))
        return refuse<ModbusRequest>(
            error, function == 6 ? u"value %1 is not 0..65535"_s.arg(last) : u"count %1 is not 1..125"_s.arg(last));
    return ModbusRequest {static_cast<std::uint8_t>(slave), static_cast<std::uint8_t>(function),
                          static_cast<std::uint16_t>(address), static_cast<std::uint16_t>(last)};
}

QString pollRequestText(const ModbusRequest& request)
{
    return u"%1,%2,0x%3,%4"_s.arg(request.slave)
        .arg(request.function)
        .arg(request.address, 4, 16, QLatin1Char('0'))
        .arg(request.value);
}

std::optional<QList<std::uint16_t>> parseRegisterValues(QStringView text, QString* error)
{
    static const QRegularExpression separators(u"[,\\s]+"_s);
    const QStringList fields = text.toString().split(separators, Qt::SkipEmptyParts);
    if (fields.isEmpty())
        return refuse<QList<std::uint16_t>>(error, u"no values"_s);
    QList<std::uint16_t> values;
    for (const QString& field : fields) {
        const auto value = number(field);
        if (!value || *value < 0 || *value > 0xFFFF)
            return refuse<QList<std::uint16_t>>(error, u"\"%1\" is not a register value 0..65535"_s.arg(field));
        values.append(static_cast<std::uint16_t>(*value));
    }
    return values;
}

}  // namespace tessa
