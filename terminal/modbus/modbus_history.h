#pragma once

#include "modbus/modbus_reply.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <deque>

namespace tessa {

// The last Modbus requests and what each got: when it left, its bytes, the reply's bytes, the
// verdict and the round trip. The oldest make room for new ones beyond the capacity.
class ModbusHistory {
public:
    struct Entry {
        QDateTime sentAt;
        QByteArray request;  // as sent, CRC included
        ModbusReply reply;  // its verdict, bytes and round trip
    };
    static constexpr int kDefaultCapacity = 200;

    // capacity: entries kept, at least 1.
    explicit ModbusHistory(int capacity = kDefaultCapacity);

    void record(const QDateTime& sentAt, const QByteArray& request, const ModbusReply& reply);
    const std::deque<Entry>& entries() const { return entries_; }
    void clear() { entries_.clear(); }

    // One line an entry, oldest first, fields separated by tabs, to paste into a spreadsheet:
    //   12:00:01.250	01 03 02 00 00 01 85 B2	01 03 02 12 34 B5 33	Slave 1, function 03: 1 registers; ...	3.1 ms
    // A request without reply shows "-" as its reply and round trip.
    QString text() const;
    // The heading of text()'s columns.
    static QString heading();

private:
    int capacity_;
    std::deque<Entry> entries_;
};

}  // namespace tessa
