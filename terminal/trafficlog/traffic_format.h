#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>

namespace tessa {

// Note: a line of the terminal's own (a port lost or back), not bytes on the line.
enum class TrafficDirection { Tx, Rx, Note };

// When a chunk passed the port: wall-clock time for the reader, a monotonic clock for the
// gap between chunks (the wall clock may jump; the gap must not).
struct TrafficTime {
    std::int64_t wallMs = 0;  // milliseconds since the Unix epoch
    std::int64_t monotonicUs = 0;  // microseconds on a steady clock
    static TrafficTime now();
};

struct TrafficChunk {
    TrafficDirection direction = TrafficDirection::Rx;
    TrafficTime time;
    QByteArray bytes;
};

// The traffic log's text format: UTF-8, one line per chunk, fields separated by a tab, lines
// ended by "\n", and a header line naming the columns:
//
//   time<TAB>gap_ms<TAB>dir<TAB>count<TAB>hex<TAB>text
//   2026-12-07 01:15:00.123<TAB>0.000<TAB>TX<TAB>8<TAB>01 03 00 00 00 02 C4 0B<TAB>........
//
// time    local wall-clock time of the chunk, to the millisecond
// gap_ms  milliseconds since the previous chunk (either direction), three decimals; 0.000 first
// dir     TX (sent by the terminal), RX (received) or NOTE (the terminal's own remark, such as a
//         port lost or connected again: count 0, hex empty, the remark as text)
// count   number of bytes in the chunk
// hex     the bytes as upper-case hex pairs separated by single spaces
// text    the bytes as characters: printable ASCII 0x20..0x7E as is, every other byte as '.'
//         (so a tab or newline inside the data never splits a field or a line)
QByteArray trafficHeaderLine();

// Formats chunks into lines; keeps the previous chunk's time for the gap and caches the
// formatted date of the current second, since the same second repeats for many chunks.
class TrafficLineFormatter {
public:
    void append(const TrafficChunk& chunk, QByteArray& out);

private:
    bool havePrevious_ = false;
    std::int64_t previousUs_ = 0;
    std::int64_t cachedSecond_ = -1;
    QByteArray cachedSecondText_;
};

// "12 B", "3.4 KB", "1.2 MB": the log's size for a status bar.
QString trafficSizeText(std::int64_t bytes);

}  // namespace tessa
