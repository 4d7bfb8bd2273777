// A scope segment the test writes itself, under this process's name, as the publisher would:
// through its descriptor, from an image in memory, so that tests can also plant anything in it.
#pragma once

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <string>

#include "ktr4sim_scope.h"

namespace scopetest {

struct TestSegment {
    explicit TestSegment(int32_t header_pid = static_cast<int32_t>(getpid()))
        : name(ktr4sim::scope::segment_name(getpid()))
        , image(std::make_unique<ktr4sim_scope_segment>())
    {
        shm_unlink(name.c_str());  // a leftover of a killed run
        fd = shm_open(name.c_str(), O_CREAT | O_EXCL | O_RDWR, 0600);
        ktr4sim::scope::init_segment(*image, header_pid);
        ok = fd >= 0 && ftruncate(fd, sizeof(ktr4sim_scope_segment)) == 0 && ktr4sim::scope::write_segment(fd, *image);
    }
    ~TestSegment()
    {
        if (fd >= 0)
            close(fd);
        shm_unlink(name.c_str());
    }
    TestSegment(const TestSegment&) = delete;
    TestSegment& operator=(const TestSegment&) = delete;

    void publish(const ktr4sim_scope_state& state) { ktr4sim::scope::publish(fd, *image, state); }
    // Bytes as someone else with write access might put them.
    template <typename T> bool plant(off_t offset, const T& value)
    {
        return ktr4sim::scope::write_at(fd, &value, sizeof value, offset);
    }

    std::string name;
    std::unique_ptr<ktr4sim_scope_segment> image;
    int fd = -1;
    bool ok = false;
};

// Every field of state n is derived from n, so a copy mixing two states is caught.
inline ktr4sim_scope_state numbered_state(uint64_t n)
{
    ktr4sim_scope_state s {};
    s.sample = n;
    s.tick = n * 196608;
    s.monotonic_ns = static_cast<int64_t>(n) * 10000000;
    s.card_count = 16;
    for (uint32_t c = 0; c < 16; ++c) {
        s.cards[c].switch_number = static_cast<uint32_t>((n + c) % 16);
        for (uint32_t a = 0; a < 4; ++a) {
            ktr4sim_scope_axis& axis = s.cards[c].axes[a];
            axis.command_position = static_cast<int32_t>(n * 7 + a);
            axis.feedback_position = -static_cast<int32_t>(n);
            axis.speed = static_cast<double>(n % 1000) * 0.5;
            axis.speed_register = static_cast<uint32_t>(n ^ 0xA5A5u);
            axis.operation_mode = static_cast<uint32_t>(n + 3);
            axis.main_status = static_cast<uint16_t>(n);
            axis.sub_status = static_cast<uint16_t>(~n);
            axis.move_kind = static_cast<uint16_t>(n % 7);
            axis.sensors = static_cast<uint16_t>(n & 1);
        }
    }
    return s;
}

inline bool consistent(const ktr4sim_scope_state& s)
{
    const ktr4sim_scope_state expected = numbered_state(s.sample);
    // Byte for byte on purpose: a torn read differs somewhere, and the layout has no padding.
    return std::memcmp(&s, &expected, sizeof s) == 0;  // NOLINT(bugprone-suspicious-memory-comparison)
}

}  // namespace scopetest
