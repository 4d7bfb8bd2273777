#include "segment_reader.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "scope/scope_seqlock.h"

namespace ktr4scope {

bool process_alive(long pid) {
  if (pid <= 0) return false;
  return kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

std::vector<FoundSegment> find_segments(const std::string& dir, bool remove_stale) {
  const std::string prefix = std::string(KTR4SIM_SCOPE_PREFIX).substr(1);  // without the '/'
  std::vector<FoundSegment> found;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(dir, error)) {
    const std::string file = entry.path().filename().string();
    if (file.rfind(prefix, 0) != 0) continue;
    const std::string digits = file.substr(prefix.size());
    if (digits.empty() || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
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

bool SegmentReader::open(const std::string& name) {
  close();
  const int fd = shm_open(name.c_str(), O_RDONLY, 0);
  if (fd < 0) return false;
  struct stat info {};
  void* memory = MAP_FAILED;
  if (fstat(fd, &info) == 0 && info.st_size >= static_cast<off_t>(sizeof(ktr4sim_scope_segment)))
    memory = mmap(nullptr, sizeof(ktr4sim_scope_segment), PROT_READ, MAP_SHARED, fd, 0);
  ::close(fd);
  if (memory == MAP_FAILED) return false;
  segment_ = static_cast<ktr4sim_scope_segment*>(memory);
  if (!ktr4sim::scope::header_valid(*segment_)) {
    close();
    return false;
  }
  name_ = name;
  return true;
}

void SegmentReader::close() {
  if (segment_ != nullptr) munmap(segment_, sizeof(ktr4sim_scope_segment));
  segment_ = nullptr;
  name_.clear();
}

long SegmentReader::pid() const { return segment_ != nullptr ? segment_->pid : 0; }

bool SegmentReader::read(ktr4sim_scope_state& state) {
  return segment_ != nullptr && ktr4sim::scope::read(*segment_, state);
}

uint64_t SegmentReader::read_since(uint64_t after, std::vector<ktr4sim_scope_state>& out) {
  if (segment_ == nullptr) return after;
  ktr4sim_scope_state state;
  return ktr4sim::scope::read_since(*segment_, after, state, [&](const ktr4sim_scope_state& s) { out.push_back(s); });
}

}  // namespace ktr4scope
