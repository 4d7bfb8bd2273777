#pragma once

#include "receive/receive_logs.h"

#include <QAbstractScrollArea>
#include <QList>
#include <QPointF>
#include <QRawFont>
#include <QString>
#include <QStringView>
#include <optional>
#include <utility>
#include <vector>

class QPainter;

namespace tessa {

// A read-only, fixed-pitch view of one receive log that paints only the rows in sight, straight
// from the log. With every character the same width, where a line wraps and which rows a scroll
// position shows are arithmetic, so nothing is laid out or shaped as the log grows.
//
// The view shows the log as it was at its last refresh (between refreshes the log only grows,
// so that is a prefix of it), nothing once the log has started again, or a text given with
// setPlainText until the next refresh. A hidden view only notes a refresh and lays out its rows
// when it is shown. The mouse selects (double click: a word), Ctrl+C and the context menu copy,
// the wheel, keys and scroll bar scroll back; a view scrolled to its end follows the tail.
class ReceiveView : public QAbstractScrollArea {
    Q_OBJECT
    Q_PROPERTY(QString plainText READ toPlainText WRITE setPlainText NOTIFY textChanged)
    Q_PROPERTY(bool followsTail READ followsTail)
public:
    ReceiveView(const ReceiveLogs& logs, ReceiveLogs::Log which, QWidget* parent = nullptr);

    // Shows the whole log as it is now; a view that follows the tail scrolls to its end.
    void refresh();
    // Shows this text instead of the log until the next refresh.
    void setPlainText(const QString& text);
    void clear() { setPlainText(QString()); }
    // The shown text with lines separated by "\n", as a text edit gives it.
    QString toPlainText() const;

    // Wrapped rows hold a multiple of this many characters (3 keeps "41 " groups whole).
    void setWrapUnit(int characters);
    // Characters a row holds at the present width.
    int columns() const { return columns_; }
    int rowCount() const { return rowCount_; }
    int firstVisibleRow() const;
    // Rows in sight, a whole row more only when the height leaves room for part of one.
    int visibleRows() const;
    // The text of a row as painted (empty past the last row).
    QString rowText(int row) const;
    bool followsTail() const { return followsTail_; }

    QString selectedText() const;
    void selectAll();
    void copy() const;

    // Actions offered after Copy and Select All in the context menu (the window's Find ones).
    void setExtraActions(const QList<QAction*>& actions) { extraActions_ = actions; }
    // The context menu as the right button opens it; the caller owns it.
    QMenu* createContextMenu();

    // Spans [first, second) of the shown text painted as found (sorted, not overlapping); the
    // list is kept until the next call.
    void setFoundSpans(std::vector<std::pair<qsizetype, qsizetype>> spans);
    const std::vector<std::pair<qsizetype, qsizetype>>& foundSpans() const { return foundSpans_; }
    // Selects [from, to) and scrolls it into sight (the view stops following the tail).
    void showSpan(qsizetype from, qsizetype to);

signals:
    void textChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    QList<QAction*> extraActions_;
    // The shown text: the log's first shownLength_ characters, or the own text.
    QStringView shown() const;
    // Brings rows and scroll bar up to date with the shown text (only what is new since the
    // last time, unless the text started again or the width changed).
    void layOut();
    void startLayoutAgain();
    void measureFont();
    int rowsOfLine(std::size_t line, QStringView text) const;
    qsizetype lineEnd(std::size_t line, QStringView text) const;  // before its CR LF
    // Where a row's text lies in the shown text: [first, second).
    std::pair<qsizetype, qsizetype> rowSpan(int row, QStringView text) const;
    void scrollToRow(int row);
    // Text offset under a viewport point.
    qsizetype offsetAt(QPoint point) const;
    void setSelection(qsizetype anchor, qsizetype caret);
    void drawCharacters(QPainter& painter, QPointF origin, QStringView characters);
    void paintFoundSpans(QPainter& painter, qsizetype start, qsizetype end, int top);

    const ReceiveLogs& logs_;
    const ReceiveLogs::Log which_;
    std::optional<QString> ownText_;
    quint64 generation_;
    qsizetype shownLength_ = 0;

    // Layout: where each line starts, and the first row of each line at columns_ per row.
    bool layoutStale_ = true;
    bool repaintAll_ = true;  // the rows in sight no longer hold what they were painted with
    std::vector<qsizetype> lineStarts_;
    std::vector<int> firstRows_;
    qsizetype indexedLength_ = 0;
    int rowCount_ = 0;
    int wrapUnit_ = 1;
    int columns_ = 1;
    qreal charWidth_ = 1;
    int lineHeight_ = 1;
    int ascent_ = 0;
    static constexpr char16_t kFirstPrintable = 0x20;
    static constexpr char16_t kLastPrintable = 0x7E;
    QRawFont rawFont_;
    std::vector<quint32> glyphs_;  // of kFirstPrintable..kLastPrintable; empty: draw as text
    QList<quint32> rowGlyphs_;  // one row's, kept for the next
    QList<QPointF> rowPositions_;

    bool followsTail_ = true;
    bool scrolling_ = false;  // the view itself moves the scroll bar
    bool selecting_ = false;
    qsizetype anchor_ = 0;
    qsizetype caret_ = 0;
    std::vector<std::pair<qsizetype, qsizetype>> foundSpans_;
};

}  // namespace tessa
