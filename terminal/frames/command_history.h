#pragma once

#include <QString>
#include <QStringList>

namespace tessa {

// The command line's history list has ten rows; a sent line goes into row 7 after rows 1..7
// move up one, so rows 8 and 9 are never written by sending.
inline constexpr int kHistoryRows = 10;
inline constexpr int kHistoryNewestRow = 7;

// Applies the move to rows (which must hold kHistoryRows entries).
void pushHistory(QStringList& rows, const QString& sent);

}  // namespace tessa
