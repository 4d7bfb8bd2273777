#include "receive/receive_view.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>

#include <memory>
#include <QPainter>
#include <QProxyStyle>
#include <QScrollBar>
#include <QStyleOptionComplex>
#include <QStyleOptionSlider>

#include <algorithm>
#include <cmath>

namespace tessa {
namespace {

constexpr int kMargin = 4;  // pixels between the frame and the text

QString withNewlines(QStringView text)
{
    QString out = text.toString();
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return out;
}

bool isWordCharacter(QChar c)
{
    return c != u' ' && c != u'\r' && c != u'\n';
}

// The application's style, drawing scroll bars in bands on a background of their own. Qt's
// raster engine hands a fill of more than some 96 pixel rows to a thread pool, and waking those
// threads for a scroll bar that follows the tail ten times a second cost more than the drawing;
// bands of 64 rows stay on this thread and give the same pixels. With its own background the
// bar is opaque, so its frequent repaints do not repaint the widgets behind it.
class BandedScrollBarStyle : public QProxyStyle {
public:
    static constexpr int kBandRows = 64;

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget) const override
    {
        if (control != CC_ScrollBar) {
            QProxyStyle::drawComplexControl(control, option, painter, widget);
            return;
        }
        const QRect area =
            painter->hasClipping() ? painter->clipBoundingRect().toAlignedRect() & option->rect : option->rect;
        for (int top = area.top(); top <= area.bottom(); top += kBandRows) {
            painter->save();
            const QRect band(area.left(), top, area.width(), std::min(kBandRows, area.bottom() + 1 - top));
            painter->setClipRect(band, Qt::IntersectClip);
            painter->fillRect(band, option->palette.window());
            QProxyStyle::drawComplexControl(control, option, painter, widget);
            painter->restore();
        }
    }
};

// A scroll bar that repaints only when it looks different. A view that follows a growing log
// changes the range every receive tick; once the log is long, the handle is at its smallest and
// at the bottom, and most changes move no pixel of it.
class SteadyScrollBar : public QScrollBar {
public:
    SteadyScrollBar()
        : QScrollBar(Qt::Vertical)
    {
    }

protected:
    void sliderChange(SliderChange change) override
    {
        if (change != SliderRangeChange && change != SliderValueChange) {
            QScrollBar::sliderChange(change);
            return;
        }
        // A view sets the range, then the value: the bar is looked at once both are set.
        if (checkPending_)
            return;
        checkPending_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                checkPending_ = false;
                // The whole bar: styles may draw a handle's outline or shadow beyond its rect.
                if (!painted_ || look() != paintedLook_)
                    update();
            },
            Qt::QueuedConnection);
    }

    void paintEvent(QPaintEvent* event) override
    {
        QScrollBar::paintEvent(event);
        paintedLook_ = look();
        painted_ = true;
    }

private:
    // What the bar's pixels depend on besides its size, palette and state: the handle, and
    // whether each end is reached (the arrows are drawn disabled there).
    struct Look {
        QRect handle;
        bool atMinimum = false;
        bool atMaximum = false;
        bool operator==(const Look&) const = default;
    };

    Look look() const
    {
        QStyleOptionSlider option;
        initStyleOption(&option);
        return Look {style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this),
                     value() == minimum(), value() == maximum()};
    }

    bool painted_ = false;
    bool checkPending_ = false;
    Look paintedLook_;
};

}  // namespace

ReceiveView::ReceiveView(const ReceiveLogs& logs, ReceiveLogs::Log which, QWidget* parent)
    : QAbstractScrollArea(parent)
    , logs_(logs)
    , which_(which)
    , generation_(logs.generation())
{
    // Received text is 20..7E and line breaks only, which needs no shaping.
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleStrategy(QFont::PreferNoShaping);
    setFont(font);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    setVerticalScrollBar(new SteadyScrollBar);
    auto* scrollBarStyle = new BandedScrollBarStyle;
    scrollBarStyle->setParent(this);
    verticalScrollBar()->setStyle(scrollBarStyle);
    verticalScrollBar()->setAttribute(Qt::WA_OpaquePaintEvent);
    measureFont();
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (!scrolling_)
            followsTail_ = value >= verticalScrollBar()->maximum();
    });
}

QStringView ReceiveView::shown() const
{
    if (ownText_)
        return *ownText_;
    if (generation_ != logs_.generation())
        return {};  // the log started again after the last refresh
    return QStringView(logs_.log(which_)).first(std::min(shownLength_, logs_.log(which_).size()));
}

void ReceiveView::refresh()
{
    const bool startsAgain = ownText_ || generation_ != logs_.generation();
    const qsizetype length = logs_.log(which_).size();
    if (!startsAgain && length == shownLength_)
        return;
    if (startsAgain) {
        ownText_.reset();
        generation_ = logs_.generation();
        startLayoutAgain();
    }
    shownLength_ = length;
    layoutStale_ = true;
    if (isVisible())
        layOut();
    emit textChanged();
}

void ReceiveView::setPlainText(const QString& text)
{
    ownText_ = text;
    startLayoutAgain();
    if (isVisible())
        layOut();
    emit textChanged();
}

QString ReceiveView::toPlainText() const
{
    return withNewlines(shown());
}

void ReceiveView::setWrapUnit(int characters)
{
    wrapUnit_ = std::max(1, characters);
    measureFont();
}

int ReceiveView::firstVisibleRow() const
{
    return verticalScrollBar()->value();
}

void ReceiveView::startLayoutAgain()
{
    lineStarts_.clear();
    firstRows_.clear();
    indexedLength_ = 0;
    rowCount_ = 0;
    anchor_ = caret_ = 0;
    followsTail_ = true;
    layoutStale_ = true;
    repaintAll_ = true;
}

void ReceiveView::measureFont()
{
    charWidth_ = std::max<qreal>(1, QFontMetricsF(font()).horizontalAdvance(u'M'));
    const QFontMetrics metrics(font());
    lineHeight_ = std::max(1, metrics.lineSpacing());
    ascent_ = metrics.ascent();
    rawFont_ = QRawFont::fromFont(font());
    QString printable;
    for (char16_t c = kFirstPrintable; c <= kLastPrintable; ++c)
        printable.append(QChar(c));
    const QList<quint32> glyphs = rawFont_.isValid() ? rawFont_.glyphIndexesForString(printable) : QList<quint32>();
    // A glyph missing from the font (index 0) leaves the rows to drawText and its fallback fonts.
    if (glyphs.size() == printable.size() && !glyphs.contains(0u))
        glyphs_.assign(glyphs.begin(), glyphs.end());
    else
        glyphs_.clear();
    const int width = std::max(0, viewport()->width() - 2 * kMargin);
    const int fitting = static_cast<int>(width / charWidth_);
    const int columns = std::max(wrapUnit_, fitting - fitting % wrapUnit_);
    if (columns != columns_) {
        columns_ = columns;
        // Every line wraps anew: row numbers are recounted from the first line.
        firstRows_.clear();
    }
    layoutStale_ = true;
    repaintAll_ = true;
    if (isVisible())
        layOut();
}

qsizetype ReceiveView::lineEnd(std::size_t line, QStringView text) const
{
    qsizetype end = line + 1 < lineStarts_.size() ? lineStarts_[line + 1] - 1 : text.size();
    if (end > lineStarts_[line] && text[end - 1] == u'\r')
        --end;
    return std::max(end, lineStarts_[line]);
}

int ReceiveView::rowsOfLine(std::size_t line, QStringView text) const
{
    const qsizetype length = lineEnd(line, text) - lineStarts_[line];
    return std::max<int>(1, static_cast<int>((length + columns_ - 1) / columns_));
}

void ReceiveView::layOut()
{
    layoutStale_ = false;
    const int rowsBefore = rowCount_;
    const QStringView text = shown();
    if (lineStarts_.empty())
        lineStarts_.push_back(0);
    // The last line may have grown; new lines start after each "\n" of the new text.
    const std::size_t firstChanged = std::min(firstRows_.size(), lineStarts_.size() - 1);
    for (qsizetype at = text.indexOf(u'\n', indexedLength_); at >= 0; at = text.indexOf(u'\n', at + 1))
        lineStarts_.push_back(at + 1);
    indexedLength_ = text.size();
    firstRows_.resize(lineStarts_.size());
    if (firstChanged == 0)
        firstRows_[0] = 0;
    for (std::size_t line = std::max<std::size_t>(firstChanged, 1); line < lineStarts_.size(); ++line)
        firstRows_[line] = firstRows_[line - 1] + rowsOfLine(line - 1, text);
    rowCount_ = text.isEmpty() ? 0 : firstRows_.back() + rowsOfLine(lineStarts_.size() - 1, text);

    QScrollBar* bar = verticalScrollBar();
    scrolling_ = true;
    bar->setRange(0, std::max(0, rowCount_ - visibleRows()));
    bar->setPageStep(visibleRows());
    bar->setSingleStep(1);
    if (followsTail_ && !selecting_)
        bar->setValue(bar->maximum());
    scrolling_ = false;
    // The text only grew: the rows in sight moved up with the scroll, and only the last row
    // shown before (it may have grown) and the rows after it are painted anew.
    if (repaintAll_) {
        repaintAll_ = false;
        viewport()->update();
    } else {
        const int top = kMargin + (std::max(0, rowsBefore - 1) - firstVisibleRow()) * lineHeight_;
        viewport()->update(QRect(0, top, viewport()->width(), viewport()->height() - top));
    }
}

void ReceiveView::scrollContentsBy(int, int dy)
{
    // Moves the pixels already painted; Qt repaints only the band scrolled into sight. The top
    // margin took pixels of a row that went out of sight.
    viewport()->scroll(0, dy * lineHeight_);
    viewport()->update(QRect(0, 0, viewport()->width(), kMargin));
}

std::pair<qsizetype, qsizetype> ReceiveView::rowSpan(int row, QStringView text) const
{
    const auto line =
        static_cast<std::size_t>(std::upper_bound(firstRows_.begin(), firstRows_.end(), row) - firstRows_.begin() - 1);
    const qsizetype start = lineStarts_[line] + qsizetype {row - firstRows_[line]} * columns_;
    return {start, std::min(lineEnd(line, text), start + columns_)};
}

QString ReceiveView::rowText(int row) const
{
    const QStringView text = shown();
    if (layoutStale_ || row < 0 || row >= rowCount_ || text.size() < indexedLength_)
        return {};
    const auto [start, end] = rowSpan(row, text);
    return text.sliced(start, end - start).toString();
}

int ReceiveView::visibleRows() const
{
    return std::max(1, (viewport()->height() - kMargin) / lineHeight_);
}

void ReceiveView::scrollToRow(int row)
{
    verticalScrollBar()->setValue(row);
}

void ReceiveView::paintEvent(QPaintEvent* event)
{
    if (layoutStale_)
        layOut();
    const QStringView text = shown();
    if (text.size() < indexedLength_)
        return;  // the log started again after the last refresh: nothing to show until the next
    QPainter painter(viewport());
    painter.setFont(font());
    const qsizetype selectionStart = std::min(anchor_, caret_);
    const qsizetype selectionEnd = std::max(anchor_, caret_);
    // Only the rows that meet the area to paint.
    const QRect area = event->rect();
    const int first = firstVisibleRow();
    const int last =
        std::min({rowCount_, first + visibleRows() + 1, first + (area.bottom() - kMargin) / lineHeight_ + 1});
    for (int row = std::max(first, first + (area.top() - kMargin) / lineHeight_); row < last; ++row) {
        const auto [start, end] = rowSpan(row, text);
        const int top = kMargin + (row - first) * lineHeight_;
        paintFoundSpans(painter, start, end, top);
        const qsizetype from = std::clamp(selectionStart, start, end);
        const qsizetype to = std::clamp(selectionEnd, start, end);
        if (from < to) {
            const QRectF band(kMargin + (from - start) * charWidth_, top, (to - from) * charWidth_, lineHeight_);
            painter.fillRect(band, palette().highlight());
        }
        painter.setPen(palette().text().color());
        drawCharacters(painter, QPointF(kMargin, top + ascent_), text.sliced(start, end - start));
        if (from < to) {
            painter.setPen(palette().highlightedText().color());
            drawCharacters(painter, QPointF(kMargin + (from - start) * charWidth_, top + ascent_),
                           text.sliced(from, to - from));
        }
    }
}

void ReceiveView::paintFoundSpans(QPainter& painter, qsizetype start, qsizetype end, int top)
{
    auto span = std::lower_bound(foundSpans_.begin(), foundSpans_.end(), start,
                                 [](const auto& found, qsizetype at) { return found.second <= at; });
    for (; span != foundSpans_.end() && span->first < end; ++span) {
        const qsizetype from = std::max(span->first, start);
        const qsizetype to = std::min(span->second, end);
        painter.fillRect(QRectF(kMargin + (from - start) * charWidth_, top, (to - from) * charWidth_, lineHeight_),
                         QColor(255, 230, 90));
    }
}

void ReceiveView::setFoundSpans(std::vector<std::pair<qsizetype, qsizetype>> spans)
{
    foundSpans_ = std::move(spans);
    viewport()->update();
}

void ReceiveView::showSpan(qsizetype from, qsizetype to)
{
    if (layoutStale_)
        layOut();
    const QStringView text = shown();
    if (from < 0 || to > text.size() || lineStarts_.empty())
        return;
    const auto line = static_cast<std::size_t>(std::upper_bound(lineStarts_.begin(), lineStarts_.end(), from)
                                               - lineStarts_.begin() - 1);
    const int row = firstRows_[line] + static_cast<int>((from - lineStarts_[line]) / columns_);
    const int first = firstVisibleRow();
    if (row < first || row >= first + visibleRows())
        scrollToRow(std::max(0, row - visibleRows() / 2));
    followsTail_ = false;
    setSelection(from, to);
}

void ReceiveView::drawCharacters(QPainter& painter, QPointF origin, QStringView characters)
{
    // The logs hold 20..7E only: their glyphs are looked up once and placed a character width
    // apart, without the text shaping drawText does. Other text (given with setPlainText) is
    // drawn as text.
    const bool printable = !glyphs_.empty() && std::all_of(characters.begin(), characters.end(), [](QChar c) {
        return c.unicode() >= kFirstPrintable && c.unicode() <= kLastPrintable;
    });
    if (!printable) {
        // The shown text outlives the paint: drawn without a copy.
        painter.drawText(origin, QString::fromRawData(characters.data(), characters.size()));
        return;
    }
    rowGlyphs_.resize(characters.size());
    rowPositions_.resize(characters.size());
    for (qsizetype i = 0; i < characters.size(); ++i) {
        rowGlyphs_[i] = glyphs_[characters[i].unicode() - kFirstPrintable];
        rowPositions_[i] = QPointF(static_cast<qreal>(i) * charWidth_, 0);
    }
    QGlyphRun run;
    run.setRawFont(rawFont_);
    run.setGlyphIndexes(rowGlyphs_);
    run.setPositions(rowPositions_);
    painter.drawGlyphRun(origin, run);
}

void ReceiveView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    measureFont();
}

void ReceiveView::showEvent(QShowEvent* event)
{
    QAbstractScrollArea::showEvent(event);
    if (layoutStale_)
        layOut();
}

void ReceiveView::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        measureFont();
}

qsizetype ReceiveView::offsetAt(QPoint point) const
{
    const QStringView text = shown();
    if (rowCount_ == 0 || text.size() < indexedLength_)
        return 0;
    const int row = firstVisibleRow() + (point.y() - kMargin) / lineHeight_;
    if (point.y() < kMargin && firstVisibleRow() == 0)
        return 0;
    if (row >= rowCount_)
        return text.size();
    const auto [start, end] = rowSpan(std::max(0, row), text);
    const auto column = static_cast<qsizetype>(std::lround(std::max(0.0, (point.x() - kMargin) / charWidth_)));
    return std::min(start + column, end);
}

void ReceiveView::setSelection(qsizetype anchor, qsizetype caret)
{
    anchor_ = anchor;
    caret_ = caret;
    viewport()->update();
}

QString ReceiveView::selectedText() const
{
    const QStringView text = shown();
    const qsizetype from = std::min({anchor_, caret_, text.size()});
    const qsizetype to = std::min(std::max(anchor_, caret_), text.size());
    return withNewlines(text.sliced(from, to - from));
}

void ReceiveView::selectAll()
{
    setSelection(0, shown().size());
}

void ReceiveView::copy() const
{
    const QString text = selectedText();
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
}

void ReceiveView::keyPressEvent(QKeyEvent* event)
{
    QScrollBar* bar = verticalScrollBar();
    if (event->matches(QKeySequence::Copy))
        copy();
    else if (event->matches(QKeySequence::SelectAll))
        selectAll();
    else if (event->matches(QKeySequence::MoveToStartOfDocument))
        scrollToRow(0);
    else if (event->matches(QKeySequence::MoveToEndOfDocument))
        scrollToRow(bar->maximum());
    else if (event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown || event->key() == Qt::Key_Up
             || event->key() == Qt::Key_Down)
        QAbstractScrollArea::keyPressEvent(event);
    else
        event->ignore();
}

void ReceiveView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    selecting_ = true;
    const qsizetype at = offsetAt(event->position().toPoint());
    if (event->modifiers() & Qt::ShiftModifier)
        setSelection(anchor_, at);
    else
        setSelection(at, at);
}

void ReceiveView::mouseMoveEvent(QMouseEvent* event)
{
    if (!selecting_)
        return;
    const QPoint point = event->position().toPoint();
    // Dragging past the top or bottom edge scrolls back or forward.
    if (point.y() < 0)
        scrollToRow(firstVisibleRow() - 1);
    else if (point.y() > viewport()->height())
        scrollToRow(firstVisibleRow() + 1);
    setSelection(anchor_, offsetAt(point));
}

void ReceiveView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !selecting_)
        return;
    selecting_ = false;
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard->supportsSelection() && anchor_ != caret_)
        clipboard->setText(selectedText(), QClipboard::Selection);
}

void ReceiveView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QStringView text = shown();
    qsizetype from = offsetAt(event->position().toPoint());
    qsizetype to = from;
    while (from > 0 && isWordCharacter(text[from - 1]))
        --from;
    while (to < text.size() && isWordCharacter(text[to]))
        ++to;
    setSelection(from, to);
}

QMenu* ReceiveView::createContextMenu()
{
    auto* menu = new QMenu(this);
    QAction* copyAction = menu->addAction(tr("&Copy"));
    copyAction->setShortcut(QKeySequence::Copy);
    copyAction->setEnabled(anchor_ != caret_);
    connect(copyAction, &QAction::triggered, this, &ReceiveView::copy);
    QAction* selectAllAction = menu->addAction(tr("Select All"));
    selectAllAction->setShortcut(QKeySequence::SelectAll);
    connect(selectAllAction, &QAction::triggered, this, &ReceiveView::selectAll);
    if (!extraActions_.isEmpty()) {
        menu->addSeparator();
        menu->addActions(extraActions_);
    }
    return menu;
}

void ReceiveView::contextMenuEvent(QContextMenuEvent* event)
{
    // Find acts on the view in sight, which is this one.
    setFocus(Qt::PopupFocusReason);
    const std::unique_ptr<QMenu> menu(createContextMenu());
    menu->exec(event->globalPos());
}

}  // namespace tessa
