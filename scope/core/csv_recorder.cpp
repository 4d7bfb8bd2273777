#include "csv_recorder.h"

namespace ktr4scope {

bool CsvRecorder::start(const std::string& path, uint32_t card)
{
    stop();
    out_.open(path, std::ios::trunc);
    if (!out_)
        return false;
    path_ = path;
    card_ = card;
    rows_ = 0;
    out_ << "time_s";
    for (int a = 0; a < 4; ++a)
        out_ << ",position_" << a << ",speed_" << a;
    out_ << "\n";
    return static_cast<bool>(out_);
}

void CsvRecorder::write(const ktr4sim_scope_state& state)
{
    if (!out_.is_open() || card_ >= state.card_count)
        return;
    if (rows_ == 0)
        first_tick_ = state.tick;
    out_ << static_cast<double>(state.tick - first_tick_) / KTR4SIM_TICKS_PER_SECOND;
    for (const ktr4sim_scope_axis& axis : state.cards[card_].axes)
        out_ << ',' << axis.command_position << ',' << axis.speed;
    out_ << "\n";
    ++rows_;
}

bool CsvRecorder::stop()
{
    if (!out_.is_open())
        return true;
    out_.flush();
    const bool good = static_cast<bool>(out_);
    out_.close();
    return good;
}

}  // namespace ktr4scope
