#include "receive/history_view.h"

#include <QFontDatabase>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace tessa {

namespace {
constexpr int kOffsetColumns = 10;  // "0000A3F0" and two spaces
constexpr int kHexColumns = HistoryPager::kBytesPerRow * 3 + 1;
}  // namespace

HistoryView::HistoryView(HistoryPager& pager, QWidget* parent)
    : QAbstractScrollArea(parent)
    , pager_(pager)
{
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::StrongFocus);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &HistoryView::scrollBarMoved);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, viewport(), qOverload<>(&QWidget::update));
}

int HistoryView::visibleRows() const
{
    return std::max(1, viewport()->height() / std::max(1, fontMetrics().lineSpacing()));
}

void HistoryView::refresh()
{
    const int rows = visibleRows();
    const qint64 oldTop = top_;
    top_ = pager_.topRow(rows);
    // Repaint only when the rows in sight changed: a held view costs nothing while bytes come.
    const bool newRowsInSight = pager_.endRow() != endRow_ && endRow_ <= top_ + rows + 1;
    endRow_ = pager_.endRow();
    const qint64 span = std::max<qint64>(0, pager_.endRow() - pager_.firstRow() - rows);
    settingBar_ = true;
    QScrollBar* bar = verticalScrollBar();
    bar->setRange(0, static_cast<int>(std::min<qint64>(span, INT_MAX)));
    bar->setPageStep(rows);
    bar->setSingleStep(1);
    bar->setValue(static_cast<int>(std::min<qint64>(top_ - pager_.firstRow(), INT_MAX)));
    const int width = fontMetrics().horizontalAdvance(QLatin1Char('0'))
        * (kOffsetColumns + kHexColumns + HistoryPager::kBytesPerRow + 1);
    horizontalScrollBar()->setRange(0, std::max(0, width - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    settingBar_ = false;
    if (top_ != oldTop || newRowsInSight || repaintAll_)
        viewport()->update();
    repaintAll_ = false;
}

void HistoryView::scrollBarMoved(int value)
{
    if (settingBar_)
        return;
    pager_.scrollTo(pager_.firstRow() + value, visibleRows());
    top_ = pager_.topRow(visibleRows());
    viewport()->update();
    emit scrolledByUser();
}

QString HistoryView::rowText(qint64 row) const
{
    const QByteArray bytes = pager_.rowBytes(row);
    if (bytes.isEmpty())
        return {};
    return HistoryPager::offsetText(row) + QStringLiteral("  ")
        + HistoryPager::hexText(bytes).leftJustified(kHexColumns - 1) + QStringLiteral("  ")
        + HistoryPager::charText(bytes);
}

void HistoryView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    const QFontMetrics metrics = fontMetrics();
    const int line = metrics.lineSpacing();
    const int cell = metrics.horizontalAdvance(QLatin1Char('0'));
    const int left = -horizontalScrollBar()->value() + cell / 2;
    const int rows = visibleRows() + 1;
    const std::optional<qint64> selected = pager_.selectionStart();
    const qint64 selectedEnd = selected ? *selected + pager_.selectionLength() : 0;
    const QColor mark = palette().color(QPalette::Highlight);
    for (int i = 0; i < rows; ++i) {
        const qint64 row = top_ + i;
        const int y = i * line;
        if (selected) {
            // The match's bytes on this row, in both columns.
            const qint64 rowStart = row * HistoryPager::kBytesPerRow;
            const qint64 from = std::max(*selected, rowStart);
            const qint64 to = std::min(selectedEnd, rowStart + HistoryPager::kBytesPerRow);
            for (qint64 b = from; b < to; ++b) {
                const int k = static_cast<int>(b - rowStart);
                painter.fillRect(left + (kOffsetColumns + k * 3) * cell, y, 2 * cell, line, mark);
                painter.fillRect(left + (kOffsetColumns + kHexColumns + 1 + k) * cell, y, cell, line, mark);
            }
        }
        const QString text = rowText(row);
        if (text.isEmpty())
            break;
        painter.drawText(left, y + metrics.ascent(), text);
    }
}

void HistoryView::repaintRows()
{
    repaintAll_ = true;
    refresh();
}

void HistoryView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    repaintAll_ = true;
    refresh();
}

}  // namespace tessa
