// What the scope draws, taken from the sample history: plain functions the tests call directly.
#pragma once

#include <QList>
#include <QPointF>
#include <QString>
#include <QStringList>

#include "sample_history.h"

namespace ktr4scope {

enum class Quantity { Position, Speed };

// (time in s, command position or speed) of one axis, from sample `from` to the newest. With
// `max_points`, every n-th sample so that no more are drawn than a chart has pixels; the
// newest is always among them.
QList<QPointF> time_points(const SampleHistory& history, size_t from, uint32_t card, int axis, Quantity quantity,
                           size_t max_points = 0);
// (x, y) command positions of two axes, from sample `from` to the newest (thinned likewise).
QList<QPointF> xy_points(const SampleHistory& history, size_t from, uint32_t card, int x_axis, int y_axis,
                         size_t max_points = 0);

QString move_kind_name(uint16_t kind);

// The status lamps of an axis, in the order of lamp_names().
QStringList lamp_names();
QList<bool> lamps(const ktr4sim_scope_axis& axis);

}  // namespace ktr4scope
