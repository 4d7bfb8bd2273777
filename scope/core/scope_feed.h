// What the scope does on every poll, apart from drawing: take what the poller thread read from
// the attached segment, keep it in the history and hand it to the recorder.
#pragma once

#include <cstdint>
#include <string>

#include "csv_recorder.h"
#include "sample_history.h"
#include "segment_poller.h"
#include "segment_reader.h"

namespace ktr4scope {

class ScopeFeed {
public:
    explicit ScopeFeed(size_t capacity = SampleHistory::kDefaultCapacity)
        : history_(capacity)
    {
    }

    // Attaches to the segment of process `pid`; the history starts empty.
    bool attach(long pid);
    void detach();
    bool attached() const { return reader_.is_open(); }
    // Whether the attached program still runs (its segment stays readable after it ended).
    bool publisher_alive() const { return reader_.publisher_alive(); }
    long pid() const { return reader_.pid(); }

    // Takes the publications read since the last poll; true when the history changed.
    bool poll();

    const SampleHistory& history() const { return history_; }
    CsvRecorder& recorder() { return recorder_; }

private:
    SegmentReader reader_;  // the header: pid, whether the publisher lives
    SegmentPoller poller_;
    SampleHistory history_;
    CsvRecorder recorder_;
};

}  // namespace ktr4scope
