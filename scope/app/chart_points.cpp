#include "chart_points.h"

namespace ktr4scope {

QList<QPointF> time_points(const SampleHistory& history, size_t from, uint32_t card, int axis, Quantity quantity) {
  QList<QPointF> points;
  points.reserve(static_cast<qsizetype>(history.size() - std::min(from, history.size())));
  for (size_t i = from; i < history.size(); ++i) {
    const ktr4sim_scope_state& s = history.at(i);
    if (card >= s.card_count) continue;
    const ktr4sim_scope_axis& a = s.cards[card].axes[axis];
    points.append({SampleHistory::seconds(s), quantity == Quantity::Position ? double(a.command_position) : a.speed});
  }
  return points;
}

QList<QPointF> xy_points(const SampleHistory& history, size_t from, uint32_t card, int x_axis, int y_axis) {
  QList<QPointF> points;
  points.reserve(static_cast<qsizetype>(history.size() - std::min(from, history.size())));
  for (size_t i = from; i < history.size(); ++i) {
    const ktr4sim_scope_state& s = history.at(i);
    if (card >= s.card_count) continue;
    points.append({double(s.cards[card].axes[x_axis].command_position), double(s.cards[card].axes[y_axis].command_position)});
  }
  return points;
}

QString move_kind_name(uint16_t kind) {
  switch (kind) {
    case KTR4SIM_MOVE_NONE: return QStringLiteral("idle");
    case KTR4SIM_MOVE_POSITION: return QStringLiteral("position");
    case KTR4SIM_MOVE_VELOCITY: return QStringLiteral("velocity");
    case KTR4SIM_MOVE_HOME: return QStringLiteral("origin return");
    case KTR4SIM_MOVE_LINE: return QStringLiteral("line");
    case KTR4SIM_MOVE_ARC: return QStringLiteral("arc");
    case KTR4SIM_MOVE_PULSER: return QStringLiteral("pulser");
    default: return QStringLiteral("kind %1").arg(kind);
  }
}

QStringList lamp_names() { return {"Stopped", "+Limit", "-Limit", "HOME", "Buffer full"}; }

QList<bool> lamps(const ktr4sim_scope_axis& axis) {
  return {(axis.main_status & 0x0008) != 0, (axis.main_status & 0x0100) != 0, (axis.main_status & 0x0200) != 0,
          (axis.sensors & KTR4SIM_SENSOR_HOME) != 0, (axis.main_status & 0x4000) != 0};
}

}  // namespace ktr4scope
