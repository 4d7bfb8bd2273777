#include "headless/program_replay.h"

#include "program/record_format.h"

#include <algorithm>

namespace tessa {

ProgramReplay::ProgramReplay(std::function<bool(QByteArrayView)> write, QObject* parent)
    : QObject(parent)
    , write_(std::move(write))
{
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &ProgramReplay::next);
}

void ProgramReplay::start(const QStringList& records, int loops)
{
    records_ = records;
    loops_ = std::max(1, loops);
    loop_ = 0;
    index_ = 0;
    sent_ = 0;
    running_ = true;
    timer_.start(0);
}

void ProgramReplay::stop()
{
    if (running_)
        end(false, QStringLiteral("stopped"));
}

void ProgramReplay::end(bool ok, const QString& message)
{
    running_ = false;
    timer_.stop();
    emit finished(ok, message);
}

void ProgramReplay::next()
{
    if (!running_)
        return;
    if (index_ >= records_.size()) {
        index_ = 0;
        if (++loop_ >= loops_ || records_.isEmpty()) {
            end(true, QString());
            return;
        }
    }
    const QString& record = records_[index_++];
    if (isDelayRecord(record)) {
        timer_.start(replayPauseMs(record));
        return;
    }
    if (const auto bytes = recordBytes(record)) {
        if (!write_(*bytes)) {
            end(false, QStringLiteral("pass %1, line %2: the write failed").arg(loop_ + 1).arg(index_));
            return;
        }
        ++sent_;
    }
    timer_.start(0);
}

}  // namespace tessa
