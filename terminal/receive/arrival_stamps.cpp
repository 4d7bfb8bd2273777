#include "receive/arrival_stamps.h"

#include <QDateTime>

#include <algorithm>

namespace tessa {

namespace {
// More than this never waits for one read (the port's own buffer holds no more).
constexpr qsizetype kMostWaiting = 1024 * 1024;
}  // namespace

void ArrivalStamps::setEnabled(bool on)
{
    enabled_ = on;
    arrived_.clear();
    arrivedBytes_ = 0;
    starts_.clear();
}

QString ArrivalStamps::stampText(qint64 wallMs)
{
    return QDateTime::fromMSecsSinceEpoch(wallMs).toString(QStringLiteral("[HH:mm:ss.zzz] "));
}

void ArrivalStamps::chunkArrived(qsizetype size, qint64 wallMs)
{
    if (!enabled_ || size <= 0)
        return;
    arrived_.emplace_back(size, wallMs);
    arrivedBytes_ += size;
    while (arrivedBytes_ - arrived_.front().first >= kMostWaiting) {
        arrivedBytes_ -= arrived_.front().first;
        arrived_.pop_front();
    }
}

void ArrivalStamps::readTaken(qsizetype size)
{
    qsizetype excess = arrivedBytes_ - size;
    qint64 position = taken_;
    // Bytes before the first chunk known (arrived while off): no stamp.
    if (excess < 0)
        position -= excess;
    // Chunks older than the read went to another reader; a chunk partly read elsewhere had
    // its start there.
    while (excess > 0 && !arrived_.empty()) {
        const qsizetype chunkSize = arrived_.front().first;
        arrivedBytes_ -= chunkSize;
        arrived_.pop_front();
        if (chunkSize > excess)
            position += chunkSize - excess;
        excess = std::max<qsizetype>(0, excess - chunkSize);
    }
    for (const auto& [chunkSize, wallMs] : arrived_) {
        starts_.push_back({position, wallMs});
        position += chunkSize;
    }
    taken_ += size;
    arrived_.clear();
    arrivedBytes_ = 0;
}

bool ArrivalStamps::append(ReceiveLogs& logs, QByteArrayView bytes)
{
    bool startedAgain = false;
    while (!bytes.isEmpty()) {
        // Starts of chunks the display never got (a read it did not take) are past.
        while (!starts_.empty() && starts_.front().position < appended_)
            starts_.pop_front();
        if (!starts_.empty() && starts_.front().position == appended_) {
            logs.appendCharacterStamp(stampText(starts_.front().wallMs));
            starts_.pop_front();
        }
        const qint64 next = starts_.empty() ? appended_ + bytes.size() : starts_.front().position;
        const qsizetype count = static_cast<qsizetype>(std::min<qint64>(next - appended_, bytes.size()));
        startedAgain |= logs.appendRead(bytes.first(count));
        bytes = bytes.sliced(count);
        appended_ += count;
    }
    return startedAgain;
}

}  // namespace tessa
