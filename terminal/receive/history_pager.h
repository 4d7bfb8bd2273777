#pragma once

#include "receive/receive_history.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace tessa {

// What a view of the receive history shows, without the view: rows of kBytesPerRow bytes
// numbered from the session's first byte (row r holds bytes r * kBytesPerRow onwards), which
// rows are in sight, whether the view follows the newest bytes or holds still, how many bytes
// came while it held still, and the current find match. The view paints only the rows it is
// told, straight from the history, so a view over 64 MiB costs what its few rows cost.
//
// Holding still: once paused (by pause(), a scroll away from the end or a find), the top row
// stays the same byte numbers while bytes keep arriving; only when the history's bound drops
// those bytes does the view move down to the oldest kept row. follow() shows the newest again.
//
//   HistoryPager pager(history);
//   pager.pause(rows);                      // hold still: unseenBytes() counts what comes
//   if (pager.find("MARK", false)) ...      // the last MARK, selected and in sight
//   for (qint64 r = pager.topRow(rows); r < pager.topRow(rows) + rows; ++r) pager.hexText(r);
class HistoryPager {
public:
    static constexpr int kBytesPerRow = 16;

    explicit HistoryPager(const ReceiveHistory& history);

    // Rows holding kept bytes: [firstRow(), endRow()); empty when nothing was received.
    qint64 firstRow() const;
    qint64 endRow() const;
    // The top row of a view of visibleRows rows (at least 1): the last rows when following,
    // else the row held (moved down only to the oldest kept one).
    qint64 topRow(int visibleRows) const;

    bool following() const { return following_; }
    // Holds the view where it is now; bytes that come from now on are counted, not shown.
    void pause(int visibleRows);
    // Shows the newest bytes again and forgets the count.
    void follow();
    // The user scrolled to row (clamped to the kept rows): the view holds still there.
    // Scrolling to the very end while following goes on following.
    void scrollTo(qint64 row, int visibleRows);
    // Bytes received since the view was paused (0 while following).
    qint64 unseenBytes() const;

    // The current match: its first byte number and length, none before a find.
    std::optional<qint64> selectionStart() const { return selectionStart_; }
    qsizetype selectionLength() const { return selectionLength_; }
    // Finds needle after the current match (forward) or before it (backward) among all the
    // kept bytes, going round at the end; with no current match, from the oldest byte (forward)
    // or the newest (backward). A match becomes the current one and is brought into sight in
    // the middle of a view of visibleRows rows, which then holds still. Returns false (and
    // leaves the view alone) when needle is not among the kept bytes.
    bool find(QByteArrayView needle, bool forward, int visibleRows);
    // True when the last successful find went round the end of the history.
    bool wentRound() const { return wentRound_; }

    // A row as shown: its first byte's number in hex (at least 8 digits), its bytes as hex pairs
    // ("41 42 ..."), and as characters (printable ASCII as is, every other byte as '.').
    // Rows outside the kept ones, or past the newest byte, give fewer bytes (or none).
    static QString offsetText(qint64 row);
    QString hexText(qint64 row) const;
    QString charText(qint64 row) const;
    static QString hexText(QByteArrayView bytes);
    static QString charText(QByteArrayView bytes);
    QByteArray rowBytes(qint64 row) const;

private:
    qint64 lastTopRow(int visibleRows) const;

    const ReceiveHistory& history_;
    bool following_ = true;
    qint64 heldTop_ = 0;
    qint64 totalAtPause_ = 0;
    std::optional<qint64> selectionStart_;
    qsizetype selectionLength_ = 0;
    bool wentRound_ = false;
};

}  // namespace tessa
