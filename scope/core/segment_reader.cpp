#include "segment_reader.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>

namespace ktr4scope {

namespace {

// A regular object owned by this user, at least a segment long.
bool own_segment_object(const struct stat& info)
{
    return S_ISREG(info.st_mode) && info.st_uid == geteuid()
        && info.st_size >= static_cast<off_t>(sizeof(ktr4sim_scope_segment));
}

}  // namespace

bool process_alive(long pid)
{
    if (pid <= 0 || pid > INT_MAX)
        return false;
    return kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

std::vector<FoundSegment> find_segments(const std::string& dir, bool remove_stale)
{
    const std::string prefix = std::string(KTR4SIM_SCOPE_PREFIX).substr(1);  // without the '/'
    std::vector<FoundSegment> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(dir, error)) {
        const std::string file = entry.path().filename().string();
        if (file.rfind(prefix, 0) != 0)
            continue;
        const std::string digits = file.substr(prefix.size());
        if (digits.empty() || digits.size() > 9
            || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        struct stat info { };
        if (lstat(entry.path().c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != geteuid())
            continue;
        const long pid = std::strtol(digits.c_str(), nullptr, 10);
        if (process_alive(pid)) {
            found.push_back({pid, "/" + file});
        } else if (remove_stale) {
            std::filesystem::remove(entry.path(), error);  // a killed process could not remove it
        }
    }
    std::sort(found.begin(), found.end(), [](const FoundSegment& a, const FoundSegment& b) { return a.pid < b.pid; });
    return found;
}

bool SegmentReader::open(long pid)
{
    close();
    if (pid <= 0 || pid > INT_MAX)
        return false;
    const std::string name = ktr4sim::scope::segment_name(pid);
    // Without blocking (a FIFO planted under the name) and without following a link.
    const int fd = shm_open(name.c_str(), O_RDONLY | O_NONBLOCK, 0);
    if (fd < 0)
        return false;
    struct stat info { };
    ktr4sim::scope::Header header {};
    if (fstat(fd, &info) != 0 || !own_segment_object(info) || !ktr4sim::scope::read_header(fd, header)
        || !ktr4sim::scope::header_valid(header) || header.pid != pid) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    pid_ = pid;
    name_ = name;
    return true;
}

void SegmentReader::close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    pid_ = 0;
    name_.clear();
}

bool SegmentReader::read(ktr4sim_scope_state& state)
{
    return fd_ >= 0 && ktr4sim::scope::read(fd_, state);
}

uint64_t SegmentReader::read_since(uint64_t after, std::vector<ktr4sim_scope_state>& out)
{
    if (fd_ < 0)
        return after;
    ktr4sim_scope_state state;
    return ktr4sim::scope::read_since(fd_, after, state, [&](const ktr4sim_scope_state& s) { out.push_back(s); });
}

}  // namespace ktr4scope
