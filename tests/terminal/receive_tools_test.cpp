// Find in the receive logs, arrival times in the character log and the byte counters.
#include "receive/arrival_stamps.h"
#include "receive/receive_find.h"
#include "receive/receive_history.h"
#include "receive/receive_logs.h"
#include "trafficlog/traffic_counters.h"

#include "support/bytes_of.h"

#include <gtest/gtest.h>

using namespace tessa;
using tessa::testing::bytesOf;

namespace {

using Spans = FoundSpans;

TEST(ReceiveFind, TextMatchesDoNotOverlapAndFollowCase)
{
    EXPECT_EQ(findText(u"aaaa", u"aa", Qt::CaseSensitive), (Spans {{0, 2}, {2, 4}}));
    EXPECT_EQ(findText(u"OK ok Ok", u"ok", Qt::CaseInsensitive), (Spans {{0, 2}, {3, 5}, {6, 8}}));
    EXPECT_EQ(findText(u"OK ok Ok", u"ok", Qt::CaseSensitive), (Spans {{3, 5}}));
    EXPECT_TRUE(findText(u"abc", u"", Qt::CaseSensitive).empty());
}

TEST(ReceiveFind, HexTypedBytes)
{
    struct Case {
        const char16_t* typed;
        std::optional<QByteArray> bytes;
    };
    const Case cases[] = {
        {u"0D 0A", QByteArray("\r\n")}, {u"0d0a", QByteArray("\r\n")}, {u" 41  42 ", QByteArray("AB")},
        {u"FF", QByteArray("\xFF")},    {u"4", std::nullopt},          {u"4 1", std::nullopt},
        {u"4G", std::nullopt},          {u"", std::nullopt},           {u"   ", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parseHexBytes(QStringView(c.typed)), c.bytes) << QString::fromUtf16(c.typed).toStdString();
}

TEST(ReceiveFind, BytesAreFoundOnGroupsAndAcrossLineBreaks)
{
    ReceiveLogs logs;
    logs.appendRead(bytesOf({0x41, 0x0D, 0x0A, 0x41, 0x14, 0x41}));
    ASSERT_EQ(logs.hexLog(), QStringLiteral("41 0D 0A \r\n41 14 41 "));
    // "0A 41" spans the line break; "14 41" must not match the digits "41 4" across groups.
    EXPECT_EQ(findBytes(logs.hexLog(), QByteArray("\n\x41")), (Spans {{6, 13}}));
    EXPECT_EQ(findBytes(logs.hexLog(), QByteArray("\x14\x41")), (Spans {{14, 19}}));
    EXPECT_EQ(findBytes(logs.hexLog(), QByteArray("A")), (Spans {{0, 2}, {11, 13}, {17, 19}}));
    EXPECT_TRUE(findBytes(logs.hexLog(), QByteArray("\x44")).empty());
}

TEST(ReceiveFind, StepsGoRoundBothWays)
{
    const Spans spans {{2, 4}, {10, 12}, {20, 22}};
    struct Case {
        std::optional<qsizetype> from;
        bool forward;
        std::size_t to;
    };
    const Case cases[] = {
        {std::nullopt, true, 0},
        {2, true, 1},
        {20, true, 0},  // past the last: the first
        {std::nullopt, false, 2},
        {10, false, 0},
        {2, false, 2},  // before the first: the last
        {5, true, 1},
        {5, false, 0},  // from a place that is no match (the log restarted)
    };
    for (const Case& c : cases)
        EXPECT_EQ(stepFound(spans, c.from, c.forward), c.to) << (c.from ? *c.from : -1) << " " << c.forward;
    EXPECT_EQ(stepFound({}, 0, true), std::nullopt);
}

// The history numbers every byte of the session, keeps at least its capacity within one block
// more, and finds a marker anywhere among the bytes kept, across block edges, both ways.
TEST(ReceiveHistory, KeepsTheLastBytesWithinItsBoundAndFindsInThem)
{
    constexpr qint64 block = tessa::ReceiveHistory::kBlockBytes;
    tessa::ReceiveHistory history(4 * block);
    QByteArray chunk(4093, 'x');  // a prime size: chunks straddle the block edges
    history.append("early MARK");
    qint64 fed = 10;
    // A marker across the first block edge.
    while (fed + chunk.size() < block - 2) {
        history.append(chunk);
        fed += chunk.size();
    }
    history.append(QByteArray(block - 2 - fed, 'y'));
    history.append("MARK");
    fed = block + 2;
    EXPECT_EQ(history.find("MARK", 0, true), 6);
    EXPECT_EQ(history.find("MARK", 7, true), block - 2);
    EXPECT_EQ(history.find("MARK", block + 2, false), block - 2);
    EXPECT_EQ(history.find("MARK", block - 2, false), 6);
    EXPECT_EQ(history.bytes(block - 3, 6), QByteArray("yMARK"));
    EXPECT_FALSE(history.find("MARK", block - 1, true));

    // 30 MiB more: the oldest bytes go, memory stays bounded, numbering goes on.
    for (int i = 0; i < 30 * 256; ++i) {
        history.append(chunk);
        fed += chunk.size();
        ASSERT_LE(history.memoryBytes(), 5 * block);
    }
    history.append("LATE MARK");
    fed += 9;
    EXPECT_EQ(history.totalBytes(), fed);
    EXPECT_GE(fed - history.firstKept(), 4 * block);
    EXPECT_EQ(history.find("MARK", 0, true), fed - 4) << "the early markers are no longer kept";
    EXPECT_EQ(history.find("LATE", history.firstKept(), true), fed - 9);
    EXPECT_EQ(history.find("x", fed, false), fed - 10);
    EXPECT_EQ(history.bytes(fed - 4, 100), QByteArray("MARK"));
    EXPECT_TRUE(history.bytes(0, 100).startsWith("xxxx")) << "bytes no longer kept are left out";
}

TEST(ArrivalStamps, EachChunkStartsAStampedLineOnlyWhileOn)
{
    ReceiveLogs logs;
    ArrivalStamps stamps;
    const qint64 t0 = 1'700'000'000'123;
    // Off: the logs are exactly as without it.
    stamps.chunkTaken(2, t0);
    stamps.append(logs, "ab");
    EXPECT_EQ(logs.charLog(), QStringLiteral("ab"));

    stamps.setEnabled(true);
    stamps.chunkTaken(2, t0);
    stamps.chunkTaken(3, t0 + 7);
    // Appended in pieces cut elsewhere than the chunks.
    stamps.append(logs, "cde");
    stamps.append(logs, "fg");
    const QString a = ArrivalStamps::stampText(t0);
    const QString b = ArrivalStamps::stampText(t0 + 7);
    EXPECT_TRUE(a.endsWith(QStringLiteral(".123] ")));
    EXPECT_EQ(logs.charLog(), QStringLiteral("ab\r\n") + a + QStringLiteral("cd\r\n") + b + QStringLiteral("efg"));
    EXPECT_EQ(logs.hexLog(), QStringLiteral("61 62 63 64 65 66 67 "));

    // Turned off while chunks wait: their stamps go, the bytes still come.
    stamps.chunkTaken(2, t0 + 20);
    stamps.setEnabled(false);
    stamps.append(logs, "hi");
    EXPECT_TRUE(logs.charLog().endsWith(QStringLiteral("efghi")));
}

TEST(TrafficCounters, CountAndRateOverTheLastSamples)
{
    TrafficCounters counters;
    counters.reset(0);
    counters.addSent(10);
    counters.addReceived(500);
    EXPECT_DOUBLE_EQ(counters.sample(500), 1000.0);
    for (int ms = 750; ms <= 2000; ms += 250) {
        counters.addReceived(250);
        counters.sample(ms);
    }
    // 250 bytes each 250 ms over the samples kept: 1000 bytes a second.
    EXPECT_DOUBLE_EQ(counters.sample(2250), 1000.0 * 3 / 4);
    EXPECT_EQ(counters.received(), 500 + 6 * 250);
    EXPECT_EQ(counters.sent(), 10);
    counters.reset(3000);
    EXPECT_EQ(counters.received(), 0);
    EXPECT_DOUBLE_EQ(counters.sample(3250), 0.0);
    EXPECT_EQ(TrafficCounters::text(1234, 999, 12345.6), QStringLiteral("TX 1.2 kB  RX 999 B  RX 12.3 kB/s"));
}

}  // namespace
