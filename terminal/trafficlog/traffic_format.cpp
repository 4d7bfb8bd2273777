#include "trafficlog/traffic_format.h"

#include <QDateTime>

#include <chrono>

namespace tessa {

TrafficTime TrafficTime::now()
{
    using namespace std::chrono;
    TrafficTime t;
    t.wallMs = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    t.monotonicUs = duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
    return t;
}

QByteArray trafficHeaderLine()
{
    return QByteArrayLiteral("time\tgap_ms\tdir\tcount\thex\ttext\n");
}

namespace {

void appendPadded(QByteArray& out, std::int64_t value, int width)
{
    char digits[24];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value > 0);
    for (int i = n; i < width; ++i)
        out.append('0');
    while (n > 0)
        out.append(digits[--n]);
}

}  // namespace

void TrafficLineFormatter::append(const TrafficChunk& chunk, QByteArray& out)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    const std::int64_t second = chunk.time.wallMs >= 0 ? chunk.time.wallMs / 1000 : (chunk.time.wallMs - 999) / 1000;
    if (second != cachedSecond_) {
        cachedSecond_ = second;
        cachedSecondText_ = QDateTime::fromSecsSinceEpoch(second).toString(u"yyyy-MM-dd HH:mm:ss").toLatin1();
    }
    const auto& bytes = chunk.bytes;
    out.reserve(out.size() + 48 + bytes.size() * 4);
    out.append(cachedSecondText_);
    out.append('.');
    appendPadded(out, chunk.time.wallMs - second * 1000, 3);
    out.append('\t');

    std::int64_t gapUs = havePrevious_ ? chunk.time.monotonicUs - previousUs_ : 0;
    if (gapUs < 0)
        gapUs = 0;
    havePrevious_ = true;
    previousUs_ = chunk.time.monotonicUs;
    appendPadded(out, gapUs / 1000, 1);
    out.append('.');
    appendPadded(out, gapUs % 1000, 3);

    if (chunk.direction == TrafficDirection::Note) {
        out.append("\tNOTE\t0\t\t");
        for (char c : chunk.bytes)
            out.append(c >= 0x20 && c <= 0x7E ? c : '.');
        out.append('\n');
        return;
    }
    out.append(chunk.direction == TrafficDirection::Tx ? "\tTX\t" : "\tRX\t");
    appendPadded(out, bytes.size(), 1);
    out.append('\t');
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (i > 0)
            out.append(' ');
        out.append(kHex[b >> 4]);
        out.append(kHex[b & 0x0F]);
    }
    out.append('\t');
    for (char c : bytes)
        out.append(c >= 0x20 && c <= 0x7E ? c : '.');
    out.append('\n');
}

QString trafficSizeText(std::int64_t bytes)
{
    if (bytes < 1024)
        return QStringLiteral("%1 B").arg(bytes);
    if (bytes < 1024 * 1024)
        return QStringLiteral("%1 KB").arg(static_cast<double>(bytes) / 1024.0, 0, 'f', 1);
    return QStringLiteral("%1 MB").arg(static_cast<double>(bytes) / (1024.0 * 1024.0), 0, 'f', 1);
}

}  // namespace tessa
