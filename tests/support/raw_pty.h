// Pseudo-terminal ends for the tests and benchmarks of the terminal and the simulated device.
#pragma once

#include <string>

namespace orvane::testing {

// Opens a terminal device as a raw line (no echo, no line editing, not the controlling
// terminal); the descriptor, or -1.
int openRawLine(const std::string& path, bool nonBlocking);

// A pseudo-terminal of our own, without a relay process: a program opens devicePath(), the
// test writes and reads master(). The device side is held open (raw) so the line stays up
// whatever the program does with its own descriptor.
class DirectPty {
public:
    DirectPty();
    ~DirectPty();
    DirectPty(const DirectPty&) = delete;
    DirectPty& operator=(const DirectPty&) = delete;

    bool ready() const { return device_ >= 0; }
    const std::string& devicePath() const { return path_; }
    int master() const { return master_; }

private:
    int master_ = -1;
    int device_ = -1;
    std::string path_;
};

}  // namespace orvane::testing
