// A scope segment the test writes itself, under this process's name, as the publisher would:
// through its descriptor, from an image in memory, so that tests can also plant anything in it.
#pragma once

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

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

}  // namespace scopetest
