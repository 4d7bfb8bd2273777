#include "frames/command_history.h"

namespace tessa {

void pushHistory(QStringList& rows, const QString& sent)
{
    while (rows.size() < kHistoryRows)
        rows.append(QString());
    for (int i = 0; i < kHistoryNewestRow; ++i)
        rows[i] = rows[i + 1];
    rows[kHistoryNewestRow] = sent;
}

}  // namespace tessa
