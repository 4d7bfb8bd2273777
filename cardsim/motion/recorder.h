// The record of a run (KTR4SIM_RECORD=<file>): the first card's four axes, every millisecond of
// card time, as CSV with ktr4-plot's columns (time_s, position_N, speed_N), for `ktr4-plot FILE`.
// While the card stands still only the first and last row of the still stretch are written,
// so an idle program makes no rows; at most kRowLimit rows are written.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "motion/runner.h"

namespace ktr4sim {

class SimCard;

class RunRecorder {
public:
    static constexpr uint64_t kSamplesPerSecond = 1000;
    static constexpr uint64_t kRowLimit = 1'000'000;

    // A recorder when KTR4SIM_RECORD names a file that can be written (else none, with a message
    // on stderr if the file could not be created); its time 0 is `now`.
    static std::unique_ptr<RunRecorder> from_environment(motion::Tick now);
    RunRecorder(std::FILE* file, std::string path, motion::Tick now);
    // Writes the last row and closes the file.
    ~RunRecorder();
    RunRecorder(const RunRecorder&) = delete;
    RunRecorder& operator=(const RunRecorder&) = delete;

    // Brings the cards up to `now` through every sample time on the way, sampling the first card.
    void advance(std::vector<SimCard>& cards, motion::Tick now);
    // The card clock starts again at `now` (a reset); the record's time keeps counting on.
    void restart(motion::Tick now);

private:
    struct Row {
        uint64_t sample = 0;  // time in samples since the record began
        std::array<int32_t, 4> position {};
        std::array<double, 4> speed {};
    };

    motion::Tick tick_of(uint64_t sample) const;
    void take(const SimCard& card, uint64_t sample);
    void emit(const Row& row);
    void write(const Row& row);

    std::FILE* file_;
    std::string path_;
    motion::Tick base_tick_;  // card tick of sample base_sample_
    uint64_t base_sample_ = 0;
    uint64_t next_sample_ = 0;
    std::optional<Row> last_written_, pending_;  // pending: equal to last_written_, later
    uint64_t rows_ = 0;
};

}  // namespace ktr4sim
