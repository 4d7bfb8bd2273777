// "Record": one card's samples as CSV with ktr4-plot's columns, time_s and position_N,speed_N
// for each axis (position is the command counter, speed in pulses per second), time counted
// from the first row.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>

#include "ktr4sim.h"
#include "ktr4sim_scope.h"

namespace ktr4scope {

class CsvRecorder {
public:
    // Starts a new file (header row written); false when it cannot be created.
    bool start(const std::string& path, uint32_t card);
    // One row for the recorded card (nothing when not recording or the card is not present).
    void write(const ktr4sim_scope_state& state);
    // Flushes and closes; false when anything could not be written.
    bool stop();

    bool recording() const { return out_.is_open(); }
    uint64_t rows() const { return rows_; }
    const std::string& path() const { return path_; }

private:
    std::ofstream out_;
    std::string path_;
    uint32_t card_ = 0;
    uint64_t rows_ = 0;
    uint64_t first_tick_ = 0;
};

}  // namespace ktr4scope
