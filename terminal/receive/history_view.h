#pragma once

#include "receive/history_pager.h"

#include <QAbstractScrollArea>

namespace tessa {

// The receive history as a hex dump: per row the first byte's number, the bytes as hex pairs
// and as characters, the current find match painted. It paints only the rows in sight, read
// from the history at each paint, so its cost does not grow with the history. The pager decides
// which rows those are; a scroll by the user (bar, wheel, keys) holds the view still there.
class HistoryView : public QAbstractScrollArea {
    Q_OBJECT
public:
    HistoryView(HistoryPager& pager, QWidget* parent = nullptr);

    // Brings the scroll bar and the rows in sight up to date with the history and the pager.
    void refresh();
    // The same, painting the rows in sight again in any case (a new find match).
    void repaintRows();
    // Whole rows that fit the viewport (at least 1).
    int visibleRows() const;
    // The top row painted at the last refresh.
    qint64 topRow() const { return top_; }
    // A row as painted: number, hex and characters, two spaces apart.
    QString rowText(qint64 row) const;

signals:
    // The user scrolled: the pager holds still now.
    void scrolledByUser();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void scrollBarMoved(int value);

    HistoryPager& pager_;
    qint64 top_ = 0;
    qint64 endRow_ = -1;  // at the last refresh
    bool repaintAll_ = true;
    bool settingBar_ = false;
};

}  // namespace tessa
