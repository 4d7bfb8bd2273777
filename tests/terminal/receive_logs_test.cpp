#include "receive/receive_logs.h"

#include "support/bytes_of.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

using tessa::ReceiveLogs;

using tessa::testing::bytesOf;

namespace {

QString hexOf(const QByteArray& data)
{
    QString out;
    for (char c : data)
        out += QString::asprintf("%02X ", static_cast<unsigned>(static_cast<std::uint8_t>(c)));
    return out;
}

}  // namespace

TEST(ReceiveLogs, LoneCrAndLfAtTheEdgesShowAsDots)
{
    ReceiveLogs logs;
    logs.appendRead(bytesOf({0x41, 0x0D}));
    EXPECT_EQ(logs.charLog(), "A.");
    logs.appendRead(bytesOf({0x0A, 0x42}));
    EXPECT_EQ(logs.charLog(), "A..B");
    // The pair was split across reads: no line break.
    EXPECT_EQ(logs.hexLog(), "41 0D 0A 42 ");
}

TEST(ReceiveLogs, EveryByteValueAloneAndInTheMiddleOfARead)
{
    for (int value = 0; value < 256; ++value) {
        const QChar shown = (value < 0x20 || value >= 0x7F) ? QChar(u'.') : QChar(value);
        ReceiveLogs alone;
        alone.appendRead(bytesOf({value}));
        EXPECT_EQ(alone.hexLog(), QString::asprintf("%02X ", value));
        EXPECT_EQ(alone.charLog(), QString(shown)) << value;
        // Inside a read, a CR or LF without its partner shows as a space.
        ReceiveLogs middle;
        middle.appendRead(bytesOf({0x20, value, 0x20}));
        EXPECT_EQ(middle.hexLog(), QString::asprintf("20 %02X 20 ", value)) << value;
        const QChar inside = (value == 0x0D || value == 0x0A) ? QChar(u' ') : shown;
        EXPECT_EQ(middle.charLog(), QString(u' ') + inside + u' ') << value;
    }
}

TEST(ReceiveLogs, SplitAtEveryPointKeepsEveryByteInOrder)
{
    const QByteArray stream = bytesOf({0x41, 0x42, 0x0D, 0x0A, 0x43, 0x0D, 0x0D, 0x0A, 0x0A, 0x00, 0xFF, 0x7F, 0x0D});
    for (qsizetype cut = 0; cut <= stream.size(); ++cut) {
        ReceiveLogs logs;
        logs.appendRead(stream.left(cut));
        logs.appendRead(stream.mid(cut));
        QString hexWithoutBreaks = logs.hexLog();
        hexWithoutBreaks.remove(QStringLiteral("\r\n"));
        EXPECT_EQ(hexWithoutBreaks, hexOf(stream)) << "cut " << cut;
        QString charsWithoutBreaks = logs.charLog();
        charsWithoutBreaks.remove(QStringLiteral("\r\n"));
        EXPECT_EQ(charsWithoutBreaks.size(), stream.size()) << "cut " << cut;
        // Pairs at 2-3 and 6-7 break the line unless the cut falls between their bytes.
        const int expectedBreaks = (cut == 3 ? 0 : 1) + (cut == 7 ? 0 : 1);
        EXPECT_EQ(logs.hexLog().count(QStringLiteral("\r\n")), expectedBreaks) << "cut " << cut;
        EXPECT_EQ(logs.charLog().count(QStringLiteral("\r\n")), expectedBreaks) << "cut " << cut;
    }
}

TEST(ReceiveLogs, ReadThatWouldPassTheLimitEmptiesBothLogsFirst)
{
    ReceiveLogs logs;
    int observed = 0;
    QString observedHex;
    logs.setLimitObserver([&](const QString& hex, const QString&) {
        ++observed;
        observedHex = hex;
    });
    const QByteArray chunk(1000, 'a');  // 3000 hex characters each
    for (int i = 0; i < 13; ++i)
        EXPECT_FALSE(logs.appendRead(chunk));
    EXPECT_EQ(logs.hexLog().size(), 39000);
    EXPECT_FALSE(logs.appendRead(QByteArray(333, 'b')));  // 39999: not over
    EXPECT_FALSE(logs.appendRead(QByteArray(0, 'b')));
    // 40002 would be over: the logs start again and hold the read that did not fit.
    logs.takeDisplayPending();
    EXPECT_TRUE(logs.appendRead(bytesOf({0x63, 0x0D, 0x0A})));
    EXPECT_EQ(logs.hexLog(), "63 0D 0A \r\n");
    EXPECT_EQ(logs.charLog(), "c  \r\n");
    EXPECT_EQ(observed, 1);
    EXPECT_EQ(observedHex.size(), 39999);
    EXPECT_TRUE(observedHex.endsWith(QStringLiteral("62 62 ")));
    EXPECT_TRUE(logs.displayPending());
}

TEST(ReceiveLogs, ReadThatFitsExactlyOrFollowsAHexLineBreakAtTheLimitStartsTheLogsAgain)
{
    ReceiveLogs logs;
    const quint64 generation = logs.generation();
    EXPECT_FALSE(logs.appendRead(QByteArray(ReceiveLogs::kHexLogLimit / 3 - 1, 'a')));  // 39996
    EXPECT_FALSE(logs.appendRead(QByteArray(1, 'b')));  // 39999
    logs.appendHexLineBreak();  // 40001
    EXPECT_EQ(logs.generation(), generation);
    // Even an empty read finds the log past the limit and starts again.
    EXPECT_TRUE(logs.appendRead(QByteArray()));
    EXPECT_TRUE(logs.hexLog().isEmpty());
    EXPECT_NE(logs.generation(), generation);
}

TEST(ReceiveLogs, ReadLongerThanTheLimitKeepsItsTailAndEveryByteInOrder)
{
    ReceiveLogs logs;
    QString seenHex;
    int observed = 0;
    logs.setLimitObserver([&](const QString& hex, const QString&) {
        ++observed;
        EXPECT_LE(hex.size(), ReceiveLogs::kHexLogLimit);
        seenHex += hex;
    });
    logs.appendRead(QByteArray("xy"));
    QByteArray read(30000, '\0');
    for (qsizetype i = 0; i < read.size(); ++i)
        read[i] = static_cast<char>(i % 7 == 3 ? 0x0D : i % 7 == 4 ? 0x0A : 0x41 + i % 26);
    read.back() = 0x0D;  // the last byte of a read shows as "."
    EXPECT_TRUE(logs.appendRead(read));
    EXPECT_GE(observed, 2);
    EXPECT_LE(logs.hexLog().size(), ReceiveLogs::kHexLogLimit);
    EXPECT_TRUE(logs.hexLog().endsWith(QStringLiteral("0D ")));
    EXPECT_TRUE(logs.charLog().endsWith(u'.'));
    // Formatted as one read: every pair ends a line, also where the logs started again.
    QString all = seenHex + logs.hexLog();
    EXPECT_EQ(all.count(QStringLiteral("0D 0A \r\n")), read.count("\r\n"));
    all.remove(QStringLiteral("\r\n"));
    EXPECT_EQ(all, hexOf(QByteArray("xy") + read));
}

TEST(ReceiveLogs, ClearStartsTheLogsAgainKeepingTheDisplayMarkAndLineBreakGoesToHexOnly)
{
    ReceiveLogs logs;
    logs.appendRead(bytesOf({0x41}));
    const quint64 generation = logs.generation();
    logs.clear();
    EXPECT_NE(logs.generation(), generation);  // the logs start again
    EXPECT_TRUE(logs.hexLog().isEmpty());
    EXPECT_TRUE(logs.displayPending());
    EXPECT_TRUE(logs.takeDisplayPending());
    EXPECT_FALSE(logs.takeDisplayPending());
    logs.appendHexLineBreak();
    EXPECT_EQ(logs.hexLog(), "\r\n");
    EXPECT_TRUE(logs.charLog().isEmpty());
    EXPECT_FALSE(logs.displayPending());
}

TEST(ReceiveLogs, RandomReadsKeepEveryByteAcrossLimitClears)
{
    QRandomGenerator generator(3);
    ReceiveLogs logs;
    QString seenHex;
    logs.setLimitObserver([&](const QString& hex, const QString&) { seenHex += hex; });
    QByteArray sent;
    for (int read = 0; read < 400; ++read) {
        QByteArray chunk(static_cast<qsizetype>(generator.bounded(1, 700)), '\0');
        for (char& c : chunk)
            c = static_cast<char>(generator.bounded(256));
        sent += chunk;
        logs.appendRead(chunk);
    }
    seenHex += logs.hexLog();
    seenHex.remove(QStringLiteral("\r\n"));
    EXPECT_EQ(seenHex, hexOf(sent));
}

TEST(ReceiveLogs, PiecesCutAtPieceEndFormatLikeTheWholeRead)
{
    QRandomGenerator generator(7);
    for (int round = 0; round < 200; ++round) {
        // Mostly line ends, so that cuts keep landing next to them.
        QByteArray read(static_cast<qsizetype>(generator.bounded(1, 300)), '\0');
        for (char& c : read)
            c = "\r\n\r\nA\r"[generator.bounded(6)];
        ReceiveLogs whole;
        whole.appendRead(read);
        ReceiveLogs pieces;
        const qsizetype size = generator.bounded(1, 20);
        for (qsizetype done = 0; done < read.size();) {
            const qsizetype end = ReceiveLogs::pieceEnd(QByteArrayView(read).sliced(done), size);
            ASSERT_GT(end, 0);
            pieces.appendRead(QByteArrayView(read).sliced(done, end));
            done += end;
        }
        EXPECT_EQ(pieces.hexLog(), whole.hexLog()) << round;
        EXPECT_EQ(pieces.charLog(), whole.charLog()) << round;
    }
    EXPECT_EQ(ReceiveLogs::pieceEnd(QByteArray("ab\rcd"), 3), 4);
    EXPECT_EQ(ReceiveLogs::pieceEnd(QByteArray("abc\ne"), 3), 4);
    EXPECT_EQ(ReceiveLogs::pieceEnd(QByteArray("\r\r\r"), 1), 3);
    EXPECT_EQ(ReceiveLogs::pieceEnd(QByteArray("ab"), 5), 2);
}
