#include "motion/recorder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "ktr4sim.h"
#include "register_map.h"
#include "sim_card.h"

namespace ktr4sim {

namespace {
// The library's conversion of the current speed register: speed × (M + 1) / 300.
double speed_of(const SimCard& card, uint32_t axis)
{
    uint32_t speed = 0, magnification = 0;
    card.peek(axis, ktr4::kCurrentSpeedReadCode, &speed);
    card.peek(axis, ktr4::kReadMagnificationCode, &magnification);
    return static_cast<double>(speed & 0xFFFFu) * 300.0 / (static_cast<double>(magnification & 0xFFFu) + 1.0);
}

bool standing_still(const SimCard& card)
{
    for (uint32_t axis = 0; axis < 4; ++axis)
        if (card.moving(axis))
            return false;
    return true;
}
}  // namespace

std::unique_ptr<RunRecorder> RunRecorder::from_environment(motion::Tick now)
{
    const char* path = std::getenv("KTR4SIM_RECORD");
    if (path == nullptr || *path == '\0')
        return nullptr;
    std::FILE* file = std::fopen(path, "w");
    if (file == nullptr) {
        std::fprintf(stderr, "ktr4sim: cannot record to %s: %s\n", path, std::strerror(errno));
        return nullptr;
    }
    return std::make_unique<RunRecorder>(file, path, now);
}

RunRecorder::RunRecorder(std::FILE* file, std::string path, motion::Tick now)
    : file_(file)
    , path_(std::move(path))
    , base_tick_(now)
{
    std::fputs("time_s,position_0,speed_0,position_1,speed_1,position_2,speed_2,position_3,speed_3\n", file_);
}

RunRecorder::~RunRecorder()
{
    if (pending_)
        write(*pending_);
    if (std::fclose(file_) != 0)
        std::fprintf(stderr, "ktr4sim: the record %s is incomplete\n", path_.c_str());
}

// In 128 bits: the virtual clock may be moved by centuries at once.
motion::Tick RunRecorder::tick_of(uint64_t sample) const
{
    return base_tick_
        + static_cast<motion::Tick>(static_cast<unsigned __int128>(sample - base_sample_) * KTR4SIM_TICKS_PER_SECOND
                                    / kSamplesPerSecond);
}

void RunRecorder::advance(std::vector<SimCard>& cards, motion::Tick now)
{
    if (cards.empty())
        return;
    for (; tick_of(next_sample_) <= now; ++next_sample_) {
        const motion::Tick at = tick_of(next_sample_);
        for (SimCard& card : cards)
            card.advance_to(at);
        take(cards.front(), next_sample_);
        if (standing_still(cards.front())) {
            // Nothing changes before the next command: every sample up to now equals this one.
            const uint64_t last = base_sample_
                + static_cast<uint64_t>(static_cast<unsigned __int128>(now - base_tick_) * kSamplesPerSecond
                                        / KTR4SIM_TICKS_PER_SECOND);
            if (last > next_sample_)
                take(cards.front(), last);
            next_sample_ = last + 1;
            return;
        }
    }
}

void RunRecorder::restart(motion::Tick now)
{
    base_sample_ = next_sample_;
    base_tick_ = now;
}

void RunRecorder::take(const SimCard& card, uint64_t sample)
{
    Row row;
    row.sample = sample;
    for (uint32_t axis = 0; axis < 4; ++axis) {
        uint32_t position = 0;
        card.peek(axis, ktr4::read_code(ktr4::kCommandPositionCode), &position);
        row.position[axis] = static_cast<int32_t>(position);
        row.speed[axis] = speed_of(card, axis);
    }
    emit(row);
}

void RunRecorder::emit(const Row& row)
{
    if (last_written_ && row.position == last_written_->position && row.speed == last_written_->speed) {
        pending_ = row;
        return;
    }
    if (pending_)
        write(*pending_);
    pending_.reset();
    write(row);
    last_written_ = row;
}

void RunRecorder::write(const Row& row)
{
    if (rows_ == kRowLimit) {
        std::fprintf(stderr, "ktr4sim: the record %s ends after %llu rows\n", path_.c_str(),
                     static_cast<unsigned long long>(kRowLimit));
        ++rows_;
    }
    if (rows_ > kRowLimit)
        return;
    ++rows_;
    std::fprintf(file_, "%.3f", static_cast<double>(row.sample) / kSamplesPerSecond);
    for (size_t axis = 0; axis < 4; ++axis)
        std::fprintf(file_, ",%d,%.2f", row.position[axis], row.speed[axis]);
    std::fputc('\n', file_);
}

}  // namespace ktr4sim
