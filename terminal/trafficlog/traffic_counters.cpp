#include "trafficlog/traffic_counters.h"

using namespace Qt::StringLiterals;

namespace tessa {

namespace {

QString amount(double bytes, const QString& unit)
{
    if (bytes < 1000)
        return u"%1 %2"_s.arg(static_cast<qint64>(bytes)).arg(unit);
    if (bytes < 1000 * 1000)
        return u"%1 k%2"_s.arg(bytes / 1000, 0, 'f', 1).arg(unit);
    return u"%1 M%2"_s.arg(bytes / (1000 * 1000), 0, 'f', 2).arg(unit);
}

}  // namespace

void TrafficCounters::reset(qint64 nowMs)
{
    sent_ = 0;
    received_ = 0;
    samples_.fill({});
    samples_[0] = {nowMs, 0};
    sampleCount_ = 1;
    next_ = 1;
}

double TrafficCounters::sample(qint64 nowMs)
{
    samples_[static_cast<std::size_t>(next_)] = {nowMs, received_};
    next_ = (next_ + 1) % kSamples;
    if (sampleCount_ < kSamples)
        ++sampleCount_;
    if (sampleCount_ < 2)
        return 0;
    // The oldest sample kept is the one to be overwritten next once all are in use.
    const Sample& oldest = samples_[static_cast<std::size_t>(sampleCount_ < kSamples ? 0 : next_)];
    const qint64 spanMs = nowMs - oldest.ms;
    return spanMs > 0 ? static_cast<double>(received_ - oldest.received) * 1000.0 / static_cast<double>(spanMs) : 0;
}

QString TrafficCounters::text(qint64 sent, qint64 received, double rate)
{
    return u"TX %1  RX %2  RX %3"_s.arg(amount(static_cast<double>(sent), u"B"_s),
                                        amount(static_cast<double>(received), u"B"_s), amount(rate, u"B/s"_s));
}

}  // namespace tessa
