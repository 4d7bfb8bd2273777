#include "scope/scope_publisher.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <optional>

#include "register_map.h"
#include "scope/scope_seqlock.h"
#include "simulator.h"

namespace ktr4sim {

namespace {

int64_t monotonic_ns() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

constexpr uint32_t kMagnification = ktr4::read_code(ktr4::kMagnificationCode),
                   kMode = ktr4::read_code(ktr4::kOperationModeCode),
                   kCommand = ktr4::read_code(ktr4::kCommandPositionCode),
                   kFeedback = ktr4::read_code(ktr4::kFeedbackPositionCode), kSpeed = ktr4::kCurrentSpeedReadCode;

}  // namespace

ScopePublisher::ScopePublisher(Simulator& simulator)
    : simulator_(simulator), name_(scope::segment_name(static_cast<long>(getpid()))) {
  // A segment left under our pid by a killed process of the same number is replaced.
  const int fd = shm_open(name_.c_str(), O_CREAT | O_RDWR | O_TRUNC, 0644);
  if (fd < 0) {
    std::perror("ktr4sim: scope segment");
    return;
  }
  void* memory = MAP_FAILED;
  if (ftruncate(fd, sizeof(ktr4sim_scope_segment)) == 0)
    memory = mmap(nullptr, sizeof(ktr4sim_scope_segment), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  close(fd);
  if (memory == MAP_FAILED) {
    std::perror("ktr4sim: scope segment");
    shm_unlink(name_.c_str());
    return;
  }
  segment_ = static_cast<ktr4sim_scope_segment*>(memory);
  scope::init_segment(*segment_, static_cast<int32_t>(getpid()));
  thread_ = std::thread([this] { run(); });
}

ScopePublisher::~ScopePublisher() {
  if (thread_.joinable()) {
    {
      std::lock_guard<std::mutex> lock(stop_mutex_);
      stop_ = true;
    }
    stop_signal_.notify_one();
    thread_.join();
  }
  if (segment_ != nullptr) {
    munmap(segment_, sizeof(ktr4sim_scope_segment));
    shm_unlink(name_.c_str());
  }
}

void ScopePublisher::snapshot(Simulator& simulator, ktr4sim_scope_state& state) {
  state = ktr4sim_scope_state{};
  std::lock_guard<std::mutex> lock(simulator.mutex());
  if (!simulator.virtual_clock()) simulator.sync();
  state.tick = simulator.now();
  state.monotonic_ns = monotonic_ns();
  state.virtual_clock = simulator.virtual_clock() ? 1 : 0;
  const auto& cards = simulator.cards();
  state.card_count = static_cast<uint32_t>(std::min<size_t>(cards.size(), KTR4SIM_SCOPE_MAX_CARDS));
  for (uint32_t c = 0; c < state.card_count; ++c) {
    const SimCard& card = cards[c];
    ktr4sim_scope_card& out = state.cards[c];
    out.switch_number = card.switch_setting();
    for (uint32_t a = 0; a < 4; ++a) {
      ktr4sim_scope_axis& axis = out.axes[a];
      uint32_t command = 0, feedback = 0, magnification = 0;
      card.peek(a, kCommand, &command);
      card.peek(a, kFeedback, &feedback);
      card.peek(a, kSpeed, &axis.speed_register);
      card.peek(a, kMagnification, &magnification);
      card.peek(a, kMode, &axis.operation_mode);
      card.get_status(a, KTR4SIM_MAIN_STATUS, &axis.main_status);
      card.get_status(a, KTR4SIM_SUB_STATUS, &axis.sub_status);
      axis.command_position = static_cast<int32_t>(command);
      axis.feedback_position = static_cast<int32_t>(feedback);
      // The library's conversion of the speed register: speed × (M + 1) / 300.
      axis.speed = static_cast<double>(axis.speed_register & 0xFFFFu) * 300.0 /
                   (static_cast<double>(magnification & 0xFFFu) + 1.0);
      axis.move_kind = static_cast<uint16_t>(card.move_kind(a));
      const std::optional<int32_t> home = card.home(a);
      if (home && *home == axis.command_position) axis.sensors |= KTR4SIM_SENSOR_HOME;
    }
  }
}

void ScopePublisher::run() {
  pthread_setname_np(pthread_self(), "ktr4sim-scope");
  using Clock = std::chrono::steady_clock;
  const auto period = std::chrono::microseconds(1000000 / KTR4SIM_SCOPE_RATE_HZ);
  auto next = Clock::now();
  std::unique_lock<std::mutex> lock(stop_mutex_);
  while (!stop_) {
    lock.unlock();
    publish_once();
    lock.lock();
    // Keeps the 100 Hz grid; after a long stall it skips the missed beats rather than racing.
    next += period;
    if (next < Clock::now()) next = Clock::now() + period;
    stop_signal_.wait_until(lock, next, [this] { return stop_; });
  }
  lock.unlock();
  // The last word: a reader that keeps the segment mapped sees where the program left the card.
  publish_once();
}

void ScopePublisher::publish_once() {
  ktr4sim_scope_state state;
  snapshot(simulator_, state);
  state.sample = ++published_;
  scope::publish(*segment_, state);
}

namespace {

// Starts the publisher as the library loads when KTR4SIM_SCOPE is set, stops it as the process
// ends normally. The simulator is made first, so it outlives the publisher.
struct ScopeAutostart {
  ScopeAutostart() {
    if (std::getenv("KTR4SIM_SCOPE") == nullptr) return;
    publisher = std::make_unique<ScopePublisher>(Simulator::instance());
    if (!publisher->ok()) publisher.reset();
  }
  std::unique_ptr<ScopePublisher> publisher;
};

ScopeAutostart g_scope_autostart;

}  // namespace

}  // namespace ktr4sim
