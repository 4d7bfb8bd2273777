#include "chart_points.h"

#include <algorithm>

namespace ktr4scope {

namespace {

// Calls `take` with every `step`-th sample from `from` and with the newest.
template <typename Take> void thinned(const SampleHistory& history, size_t from, size_t max_points, Take take)
{
    if (from >= history.size())
        return;
    const size_t count = history.size() - from;
    const size_t step = max_points == 0 ? 1 : std::max<size_t>(1, (count + max_points - 1) / max_points);
    size_t i = from;
    for (; i < history.size(); i += step)
        take(history.at(i));
    if (i - step != history.size() - 1)
        take(history.newest());
}

}  // namespace

QList<QPointF> time_points(const SampleHistory& history, size_t from, uint32_t card, int axis, Quantity quantity,
                           size_t max_points)
{
    QList<QPointF> points;
    thinned(history, from, max_points, [&](const ktr4sim_scope_state& s) {
        if (card >= s.card_count)
            return;
        const ktr4sim_scope_axis& a = s.cards[card].axes[axis];
        points.append(
            {SampleHistory::seconds(s), quantity == Quantity::Position ? double(a.command_position) : a.speed});
    });
    return points;
}

QList<QPointF> xy_points(const SampleHistory& history, size_t from, uint32_t card, int x_axis, int y_axis,
                         size_t max_points)
{
    QList<QPointF> points;
    thinned(history, from, max_points, [&](const ktr4sim_scope_state& s) {
        if (card >= s.card_count)
            return;
        points.append(
            {double(s.cards[card].axes[x_axis].command_position), double(s.cards[card].axes[y_axis].command_position)});
    });
    return points;
}
QString move_kind_name(uint16_t kind)
{
    switch (kind) {
    case KTR4SIM_MOVE_NONE:
        return QStringLiteral("idle");
    case KTR4SIM_MOVE_POSITION:
        return QStringLiteral("position");
    case KTR4SIM_MOVE_VELOCITY:
        return QStringLiteral("velocity");
    case KTR4SIM_MOVE_HOME:
        return QStringLiteral("origin return");
    case KTR4SIM_MOVE_LINE:
        return QStringLiteral("line");
    case KTR4SIM_MOVE_ARC:
        return QStringLiteral("arc");
    case KTR4SIM_MOVE_PULSER:
        return QStringLiteral("pulser");
    default:
        return QStringLiteral("kind %1").arg(kind);
    }
}

QStringList lamp_names()
{
    return {"Stopped", "+Limit", "-Limit", "HOME", "Buffer full"};
}

QList<bool> lamps(const ktr4sim_scope_axis& axis)
{
    return {(axis.main_status & 0x0008) != 0, (axis.main_status & 0x0100) != 0, (axis.main_status & 0x0200) != 0,
            (axis.sensors & KTR4SIM_SENSOR_HOME) != 0, (axis.main_status & 0x4000) != 0};
}

}  // namespace ktr4scope
