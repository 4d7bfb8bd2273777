#include "modbus/modbus_history.h"

#include "modbus/modbus_reply_text.h"

#include <QStringList>

#include <algorithm>

namespace tessa {
namespace {

QString hexBytes(const QByteArray& bytes)
{
    return bytes.isEmpty() ? QStringLiteral("-") : QString::fromLatin1(bytes.toHex(' ').toUpper());
}

}  // namespace

ModbusHistory::ModbusHistory(int capacity)
    : capacity_(std::max(capacity, 1))
{
}

void ModbusHistory::record(const QDateTime& sentAt, const QByteArray& request, const ModbusReply& reply)
{
    entries_.push_back({sentAt, request, reply});
    while (entries_.size() > static_cast<std::size_t>(capacity_))
        entries_.pop_front();
}

QString ModbusHistory::heading()
{
    return QStringLiteral("Time\tRequest\tReply\tVerdict\tRound trip");
}

QString ModbusHistory::text() const
{
    QStringList lines;
    for (const Entry& entry : entries_) {
        const QString roundTrip = entry.reply.roundTripMs
            ? QStringLiteral("%1 ms").arg(*entry.reply.roundTripMs, 0, 'f', 1)
            : QStringLiteral("-");
        lines << QStringList {entry.sentAt.toString(QStringLiteral("HH:mm:ss.zzz")), hexBytes(entry.request),
                              hexBytes(entry.reply.bytes), modbusVerdictLine(entry.reply), roundTrip}
                     .join(u'\t');
    }
    return lines.join(u'\n');
}

}  // namespace tessa
