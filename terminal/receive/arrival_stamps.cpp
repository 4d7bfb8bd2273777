#include "receive/arrival_stamps.h"

#include <QDateTime>

#include <algorithm>

namespace tessa {

void ArrivalStamps::setEnabled(bool on)
{
    enabled_ = on;
    starts_.clear();
}

QString ArrivalStamps::stampText(qint64 wallMs)
{
    return QDateTime::fromMSecsSinceEpoch(wallMs).toString(QStringLiteral("[HH:mm:ss.zzz] "));
}

void ArrivalStamps::chunkTaken(qsizetype size, qint64 wallMs)
{
    if (enabled_ && size > 0)
        starts_.push_back({taken_, wallMs});
    taken_ += size;
}

bool ArrivalStamps::append(ReceiveLogs& logs, QByteArrayView bytes)
{
    bool startedAgain = false;
    while (!bytes.isEmpty()) {
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
