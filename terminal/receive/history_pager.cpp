#include "receive/history_pager.h"

#include <algorithm>

namespace tessa {

HistoryPager::HistoryPager(const ReceiveHistory& history)
    : history_(history)
{
}

qint64 HistoryPager::firstRow() const
{
    return history_.firstKept() / kBytesPerRow;
}

qint64 HistoryPager::endRow() const
{
    return (history_.totalBytes() + kBytesPerRow - 1) / kBytesPerRow;
}

qint64 HistoryPager::lastTopRow(int visibleRows) const
{
    return std::max(firstRow(), endRow() - std::max(visibleRows, 1));
}

qint64 HistoryPager::topRow(int visibleRows) const
{
    if (following_)
        return lastTopRow(visibleRows);
    // A cleared history numbers from 0 again: the held row may be past its end.
    return std::clamp(heldTop_, firstRow(), lastTopRow(visibleRows));
}

void HistoryPager::pause(int visibleRows)
{
    if (!following_)
        return;
    heldTop_ = lastTopRow(visibleRows);
    totalAtPause_ = history_.totalBytes();
    following_ = false;
}

void HistoryPager::follow()
{
    following_ = true;
    wentRound_ = false;
}

void HistoryPager::scrollTo(qint64 row, int visibleRows)
{
    row = std::clamp(row, firstRow(), lastTopRow(visibleRows));
    if (following_ && row == lastTopRow(visibleRows))
        return;
    pause(visibleRows);
    heldTop_ = row;
}

qint64 HistoryPager::unseenBytes() const
{
    if (following_)
        return 0;
    const qint64 total = history_.totalBytes();
    return total >= totalAtPause_ ? total - totalAtPause_ : total;
}

bool HistoryPager::find(QByteArrayView needle, bool forward, int visibleRows)
{
    const qint64 oldest = history_.firstKept();
    const qint64 newest = history_.totalBytes();
    std::optional<qint64> at;
    bool round = false;
    if (selectionStart_ && *selectionStart_ >= oldest && *selectionStart_ < newest)
        at = history_.find(needle, forward ? *selectionStart_ + 1 : *selectionStart_, forward);
    else
        at = history_.find(needle, forward ? oldest : newest, forward);
    if (!at && selectionStart_) {
        at = history_.find(needle, forward ? oldest : newest, forward);
        round = at.has_value();
    }
    if (!at)
        return false;
    wentRound_ = round;
    selectionStart_ = *at;
    selectionLength_ = needle.size();
    pause(visibleRows);
    const qint64 row = *at / kBytesPerRow;
    heldTop_ = std::clamp(row - std::max(visibleRows, 1) / 2, firstRow(), lastTopRow(visibleRows));
    return true;
}

QString HistoryPager::offsetText(qint64 row)
{
    return QStringLiteral("%1").arg(row * kBytesPerRow, 8, 16, QLatin1Char('0')).toUpper();
}

QByteArray HistoryPager::rowBytes(qint64 row) const
{
    if (row < firstRow())
        return {};
    return history_.bytes(row * kBytesPerRow, kBytesPerRow);
}

QString HistoryPager::hexText(qint64 row) const
{
    return hexText(rowBytes(row));
}

QString HistoryPager::charText(qint64 row) const
{
    return charText(rowBytes(row));
}

QString HistoryPager::hexText(QByteArrayView bytes)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    QString text;
    text.reserve(bytes.size() * 3);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (i > 0)
            text += QLatin1Char(' ');
        const auto b = static_cast<unsigned char>(bytes[i]);
        text += QLatin1Char(kDigits[b >> 4]);
        text += QLatin1Char(kDigits[b & 0xF]);
    }
    return text;
}

QString HistoryPager::charText(QByteArrayView bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char c : bytes)
        text += (c >= 0x20 && c < 0x7F) ? QLatin1Char(c) : QLatin1Char('.');
    return text;
}

}  // namespace tessa
