#pragma once

#include <QString>
#include <QtGlobal>

#include <array>

namespace tessa {

// Bytes sent and received since the last reset, and the receive rate over about the last
// second. Counting is an addition per chunk; the rate is worked out only when sampled (a
// status bar timer), from the totals at the last few samples.
class TrafficCounters {
public:
    static constexpr int kSamples = 5;  // the rate spans the last kSamples - 1 sample intervals

    void addSent(qsizetype bytes) { sent_ += bytes; }
    void addReceived(qsizetype bytes) { received_ += bytes; }
    // Zero counts and no rate; nowMs starts the rate's span.
    void reset(qint64 nowMs);

    qint64 sent() const { return sent_; }
    qint64 received() const { return received_; }
    // Notes the received total at nowMs (monotonic milliseconds) and returns the receive rate in
    // bytes per second over the samples kept (0 before two samples).
    double sample(qint64 nowMs);

    // "TX 1 234 B  RX 56.7 kB  RX 9.6 kB/s"
    static QString text(qint64 sent, qint64 received, double rate);

private:
    qint64 sent_ = 0;
    qint64 received_ = 0;
    struct Sample {
        qint64 ms = 0;
        qint64 received = 0;
    };
    std::array<Sample, kSamples> samples_ {};
    int sampleCount_ = 0;
    int next_ = 0;
};

}  // namespace tessa
