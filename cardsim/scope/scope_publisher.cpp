#include "scope/scope_publisher.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <optional>

#include "register_map.h"
#include "simulator.h"

namespace ktr4sim {

namespace {

int64_t monotonic_ns()
{
    timespec ts {};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

constexpr uint32_t kMagnification = ktr4::read_code(ktr4::kMagnificationCode),
                   kMode = ktr4::read_code(ktr4::kOperationModeCode),
                   kCommand = ktr4::read_code(ktr4::kCommandPositionCode),
                   kFeedback = ktr4::read_code(ktr4::kFeedbackPositionCode), kSpeed = ktr4::kCurrentSpeedReadCode;

// Whether the object under `name` is a leftover of our own user: a killed process that had our
// process id (no live process can publish under our id but us). A link, a FIFO or an object of
// another user is not.
bool own_leftover(const std::string& name)
{
    const int fd = shm_open(name.c_str(), O_RDONLY | O_NONBLOCK, 0);  // never follows a link
    if (fd < 0)
        return false;
    struct stat info { };
    const bool own = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == geteuid();
    close(fd);
    return own;
}

// Creates the segment anew, readable and writable by our user only. An object someone else put
// under the name is never taken over: it could be read or truncated by its owner.
int create_segment(const std::string& name)
{
    int error = 0;
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int fd = shm_open(name.c_str(), O_CREAT | O_EXCL | O_RDWR, 0600);
        if (fd >= 0)
            return fd;
        error = errno;
        if (error != EEXIST || attempt > 0 || !own_leftover(name))
            break;
        shm_unlink(name.c_str());
    }
    std::fprintf(stderr, "ktr4sim: scope segment %s not created (%s): running without a scope\n", name.c_str(),
                 std::strerror(error));
    return -1;
}

}  // namespace

ScopePublisher::ScopePublisher(Simulator& simulator)
    : simulator_(simulator)
    , name_(scope::segment_name(static_cast<long>(getpid())))
    , image_(std::make_unique<ktr4sim_scope_segment>())
{
    const int fd = create_segment(name_);
    if (fd < 0)
        return;
    scope::init_segment(*image_, static_cast<int32_t>(getpid()));
    if (ftruncate(fd, sizeof(ktr4sim_scope_segment)) != 0 || !scope::write_segment(fd, *image_)) {
        std::perror("ktr4sim: scope segment");
        close(fd);
        shm_unlink(name_.c_str());
        return;
    }
    fd_ = fd;
    struct stat info { };
    if (fstat(fd_, &info) == 0) {
        device_ = info.st_dev;
        inode_ = info.st_ino;
    }
    thread_ = std::thread([this] { run(); });
}

ScopePublisher::~ScopePublisher()
{
    if (thread_.joinable()) {
        {
            std::lock_guard<std::mutex> lock(stop_mutex_);
            stop_ = true;
        }
        stop_signal_.notify_one();
        thread_.join();
    }
    if (fd_ >= 0) {
        close(fd_);
        if (still_ours())
            shm_unlink(name_.c_str());
    }
}

// Whether the object now under the segment's name is the one this publisher created: someone
// may have removed ours and put another object (their own, perhaps another user's) there.
bool ScopePublisher::still_ours() const
{
    const int fd = shm_open(name_.c_str(), O_RDONLY | O_NONBLOCK, 0);
    if (fd < 0)
        return false;
    struct stat info { };
    const bool same =
        fstat(fd, &info) == 0 && info.st_dev == device_ && info.st_ino == inode_ && info.st_uid == geteuid();
    close(fd);
    return same;
}

void ScopePublisher::snapshot(Simulator& simulator, ktr4sim_scope_state& state)
{
    state = ktr4sim_scope_state {};
    std::lock_guard<std::mutex> lock(simulator.mutex());
    if (!simulator.virtual_clock())
        simulator.sync();
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
            axis.speed = static_cast<double>(axis.speed_register & 0xFFFFu) * 300.0
                / (static_cast<double>(magnification & 0xFFFu) + 1.0);
            axis.move_kind = static_cast<uint16_t>(card.move_kind(a));
            const std::optional<int32_t> home = card.home(a);
            if (home && *home == axis.command_position)
                axis.sensors |= KTR4SIM_SENSOR_HOME;
        }
    }
}

void ScopePublisher::run()
{
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
        if (next < Clock::now())
            next = Clock::now() + period;
        stop_signal_.wait_until(lock, next, [this] { return stop_; });
    }
    lock.unlock();
    // The last word: a reader that keeps the segment mapped sees where the program left the card.
    publish_once();
}

void ScopePublisher::publish_once()
{
    ktr4sim_scope_state state;
    snapshot(simulator_, state);
    state.sample = ++published_;
    keep_whole();
    scope::publish(fd_, *image_, state);  // a full /dev/shm refuses it: readers see the last whole one
}

// Someone who could write the segment (our user, root) truncated or grew it, or overwrote its
// header: readers would find it short, stale or not a segment at all, for the rest of the
// program. It gets its size, contents and header back.
void ScopePublisher::keep_whole()
{
    struct stat info { };
    if (fstat(fd_, &info) != 0)
        return;
    if (info.st_size != static_cast<off_t>(sizeof(ktr4sim_scope_segment))) {
        if (ftruncate(fd_, sizeof(ktr4sim_scope_segment)) == 0)
            scope::write_segment(fd_, *image_);
        if (!resize_reported_)
            std::fprintf(stderr, "ktr4sim: scope segment %s was resized by another process: restored\n", name_.c_str());
        resize_reported_ = true;
        return;
    }
    // The header but `latest` never changes after creation; `latest` the publication rewrites.
    scope::Header found {};
    const auto* mine = reinterpret_cast<const unsigned char*>(image_.get());
    if (scope::read_header(fd_, found) && std::memcmp(&found, mine, offsetof(scope::Header, latest)) == 0)
        return;
    scope::write_at(fd_, mine, sizeof(scope::Header), 0);
    if (!header_reported_)
        std::fprintf(stderr, "ktr4sim: scope segment %s had its header overwritten: restored\n", name_.c_str());
    header_reported_ = true;
}

namespace {

// Starts the publisher as the library loads when KTR4SIM_SCOPE is set, stops it as the process
// ends normally. The simulator is made first, so it outlives the publisher.
struct ScopeAutostart {
    ScopeAutostart()
    {
        if (std::getenv("KTR4SIM_SCOPE") == nullptr)
            return;
        publisher = std::make_unique<ScopePublisher>(Simulator::instance());
        if (!publisher->ok())
            publisher.reset();
    }
    std::unique_ptr<ScopePublisher> publisher;
};

ScopeAutostart g_scope_autostart;

}  // namespace

}  // namespace ktr4sim
