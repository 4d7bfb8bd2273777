// What the receive history window shows, without the window: rows, holding still, the count of
// bytes that came meanwhile, find over the whole history, row texts.
#include "receive/history_pager.h"

#include <gtest/gtest.h>

using tessa::HistoryPager;
using tessa::ReceiveHistory;

namespace {
constexpr qint64 kBlock = ReceiveHistory::kBlockBytes;
constexpr int kRows = 10;
}  // namespace

TEST(HistoryPager, FollowsTheNewestRowsThenHoldsStillAndCountsWhatComes)
{
    ReceiveHistory history;
    HistoryPager pager(history);
    EXPECT_EQ(pager.firstRow(), 0);
    EXPECT_EQ(pager.endRow(), 0);
    EXPECT_EQ(pager.topRow(kRows), 0);

    history.append(QByteArray(1000, 'a'));  // rows 0..62, the last one partly filled
    EXPECT_EQ(pager.endRow(), 63);
    EXPECT_TRUE(pager.following());
    EXPECT_EQ(pager.topRow(kRows), 53);
    history.append(QByteArray(160, 'b'));
    EXPECT_EQ(pager.topRow(kRows), 63);  // following: the new rows come into sight

    pager.pause(kRows);
    history.append(QByteArray(5000, 'c'));
    EXPECT_EQ(pager.topRow(kRows), 63);  // held still
    EXPECT_EQ(pager.unseenBytes(), 5000);
    EXPECT_EQ(pager.hexText(72), HistoryPager::hexText(QByteArray(8, 'b') + QByteArray(8, 'c')));
    pager.pause(kRows);  // pausing again keeps the place and the count
    EXPECT_EQ(pager.unseenBytes(), 5000);

    pager.follow();
    EXPECT_EQ(pager.unseenBytes(), 0);
    EXPECT_EQ(pager.topRow(kRows), pager.endRow() - kRows);

    // Fewer bytes than a view's rows: the top is the first row.
    ReceiveHistory small;
    HistoryPager few(small);
    small.append("abc");
    EXPECT_EQ(few.topRow(kRows), 0);
    EXPECT_EQ(few.endRow(), 1);
}

TEST(HistoryPager, AScrollHoldsStillUnlessItStaysAtTheEnd)
{
    ReceiveHistory history;
    HistoryPager pager(history);
    history.append(QByteArray(1600, 'x'));  // 100 rows
    pager.scrollTo(90, kRows);  // the end: still following
    EXPECT_TRUE(pager.following());
    pager.scrollTo(40, kRows);
    EXPECT_FALSE(pager.following());
    EXPECT_EQ(pager.topRow(kRows), 40);
    history.append(QByteArray(320, 'y'));
    EXPECT_EQ(pager.topRow(kRows), 40);
    EXPECT_EQ(pager.unseenBytes(), 320);
    pager.scrollTo(-5, kRows);
    EXPECT_EQ(pager.topRow(kRows), 0);
    pager.scrollTo(1'000'000, kRows);  // clamped to the last page, still held
    EXPECT_EQ(pager.topRow(kRows), 110);
    EXPECT_FALSE(pager.following());
}

TEST(HistoryPager, AHeldViewMovesOnlyWhenTheBoundDropsItsRows)
{
    ReceiveHistory history(2 * kBlock);
    HistoryPager pager(history);
    history.append(QByteArray(kBlock, 'a'));
    pager.scrollTo(1000, kRows);
    history.append(QByteArray(kBlock, 'b'));
    EXPECT_EQ(pager.topRow(kRows), 1000);  // kept yet
    history.append(QByteArray(kBlock + 10, 'c'));
    ASSERT_GT(history.firstKept(), 1000 * HistoryPager::kBytesPerRow);
    EXPECT_EQ(pager.topRow(kRows), pager.firstRow());  // the oldest kept row now
    EXPECT_EQ(pager.hexText(999), QString());  // no longer kept

    // A cleared history numbers from 0 again: the count starts with it.
    history.clear();
    history.append("0123456789");
    EXPECT_EQ(pager.topRow(kRows), 0);
    EXPECT_EQ(pager.unseenBytes(), 10);
}

TEST(HistoryPager, FindsAcrossTheWholeHistoryGoesRoundAndBringsTheMatchIntoSight)
{
    ReceiveHistory history(8 * kBlock);
    HistoryPager pager(history);
    // One marker across the first block boundary, one deep in the history, then a flood.
    QByteArray bytes(kBlock - 3, '.');
    bytes += "MARK1";
    bytes += QByteArray(3 * kBlock, '.');
    const qint64 second = bytes.size();
    bytes += "MARK2";
    bytes += QByteArray(2 * kBlock, '.');
    history.append(bytes);
    const qint64 first = kBlock - 3;

    EXPECT_FALSE(pager.find("absent", true, kRows));
    EXPECT_TRUE(pager.following());  // a find that fails leaves the view alone

    ASSERT_TRUE(pager.find("MARK", false, kRows));  // backward: from the newest byte
    EXPECT_EQ(*pager.selectionStart(), second);
    EXPECT_EQ(pager.selectionLength(), 4);
    EXPECT_FALSE(pager.following());
    const qint64 top = pager.topRow(kRows);
    EXPECT_LE(top, second / 16);
    EXPECT_GT(top + kRows, second / 16);
    EXPECT_FALSE(pager.wentRound());

    ASSERT_TRUE(pager.find("MARK", false, kRows));
    EXPECT_EQ(*pager.selectionStart(), first);
    ASSERT_TRUE(pager.find("MARK", false, kRows));  // round to the newest
    EXPECT_EQ(*pager.selectionStart(), second);
    EXPECT_TRUE(pager.wentRound());
    ASSERT_TRUE(pager.find("MARK", true, kRows));  // round to the oldest
    EXPECT_EQ(*pager.selectionStart(), first);
    EXPECT_TRUE(pager.wentRound());
    ASSERT_TRUE(pager.find("MARK", true, kRows));
    EXPECT_EQ(*pager.selectionStart(), second);
    EXPECT_FALSE(pager.wentRound());

    // Bytes keep coming: the match stays in sight.
    history.append(QByteArray(kBlock, '.'));
    EXPECT_EQ(pager.topRow(kRows), top);
    EXPECT_EQ(pager.unseenBytes(), kBlock);

    // The bound drops the first marker: only the second is found.
    history.append(QByteArray(3 * kBlock, '.'));
    ASSERT_GT(history.firstKept(), first);
    ASSERT_TRUE(pager.find("MARK", true, kRows));
    EXPECT_EQ(*pager.selectionStart(), second);
}

TEST(HistoryPager, RowsReadAsHexAndPrintableCharacters)
{
    ReceiveHistory history;
    HistoryPager pager(history);
    history.append(QByteArray("AB\r\n\x00\x7f\xff z", 9) + QByteArray(16, 'q') + "end");
    EXPECT_EQ(pager.hexText(0), QStringLiteral("41 42 0D 0A 00 7F FF 20 7A 71 71 71 71 71 71 71"));
    EXPECT_EQ(pager.charText(0), QStringLiteral("AB..... zqqqqqqq"));
    EXPECT_EQ(pager.charText(1), QStringLiteral("qqqqqqqqqend"));
    EXPECT_EQ(pager.charText(2), QString());
    EXPECT_EQ(HistoryPager::offsetText(0), QStringLiteral("00000000"));
    EXPECT_EQ(HistoryPager::offsetText(0x1234567), QStringLiteral("12345670"));
    EXPECT_EQ(HistoryPager::offsetText(0x123456789), QStringLiteral("1234567890"));
}
