#include "frames/checksum_frame.h"
#include "frames/command_history.h"
#include "frames/crc16.h"
#include "frames/frame_text.h"
#include "frames/random_frame.h"

#include "support/bytes_of.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <tuple>

using namespace tessa;

using tessa::testing::bytesOf;

TEST(ModBusCrc16, KnownFramesGiveTheirTextPair)
{
    // The last: the device panels' read of the panel defaults.
    const std::tuple<QByteArray, QString, QString> known[] = {
        {"123456789", "37", "4B"},
        {bytesOf({0x00}), "BF", "40"},
        {bytesOf({0x01, 0x03, 0x02, 0x00, 0x00, 0x01}), "85", "B2"}};
    for (const auto& [frame, low, high] : known) {
        LastCrcText pair;
        ModBusCRC16(frame, pair);
        EXPECT_EQ(std::tuple(pair.low, pair.high), std::tuple(low, high)) << frame.toHex().constData();
    }
}

TEST(ModBusCrc16, TextHasNoLeadingZero)
{
    // Find frames whose CRC bytes are below 10 and check their one-digit text.
    bool sawShortLow = false;
    bool sawShortHigh = false;
    LastCrcText pair;
    for (int a = 0; a < 256 && !(sawShortLow && sawShortHigh); ++a) {
        for (int b = 0; b < 256; ++b) {
            const QByteArray frame = bytesOf({a, b});
            const std::uint16_t crc = modbusCrc16(frame);
            ModBusCRC16(frame, pair);
            if ((crc & 0xFF) < 0x10) {
                EXPECT_EQ(pair.low.size(), 1);
                sawShortLow = true;
            }
            if ((crc >> 8) < 0x10) {
                EXPECT_EQ(pair.high.size(), 1);
                sawShortHigh = true;
            }
        }
    }
    EXPECT_TRUE(sawShortLow);
    EXPECT_TRUE(sawShortHigh);
}

TEST(CharacterFrame, CodePageBytesAndQuestionMarks)
{
    EXPECT_EQ(characterFrame(u"ver", true), bytesOf({0x76, 0x65, 0x72, 0x0D, 0x0A}));
    EXPECT_EQ(characterFrame(u"ver", false), bytesOf({0x76, 0x65, 0x72}));
    EXPECT_EQ(characterFrame(u""), QByteArray());
    // Latin-1 range maps byte for byte, including 00 and FF.
    EXPECT_EQ(characterFrame(QStringView(u"\u0000\u00e9\u00ff", 3)), bytesOf({0x00, 0xE9, 0xFF}));
    // Outside the code page: one '?' per character, a surrogate pair being one character.
    EXPECT_EQ(characterFrame(u"A連B"), QByteArray("A?B"));
    EXPECT_EQ(characterFrame(u"x\U0001F600y"), QByteArray("x?y"));
    EXPECT_EQ(characterFrame(u"\u0100"), QByteArray("?"));
}

TEST(HexText, ByteCountRoundsToNearest)
{
    const std::pair<qsizetype, qsizetype> lengthAndBytes[] = {{0, 0}, {1, 0}, {2, 1}, {4, 1}, {5, 2}, {18, 6}};
    for (const auto& [length, bytes] : lengthAndBytes)
        EXPECT_EQ(hexTextByteCount(length), bytes) << length;
}

TEST(HexText, FramesFromPairs)
{
    EXPECT_EQ(hexTextFrame(u"01 0"), bytesOf({0x01}));
    EXPECT_EQ(hexTextFrame(u"01 03"), bytesOf({0x01, 0x03}));
    EXPECT_EQ(hexTextFrame(u"01 03 00 00 00 0A "), bytesOf({0x01, 0x03, 0x00, 0x00, 0x00, 0x0A}));
    EXPECT_EQ(hexTextFrame(u"ff Fe "), bytesOf({0xFF, 0xFE}));
    EXPECT_EQ(hexTextFrame(u""), QByteArray());
    EXPECT_FALSE(hexTextFrame(u"01 zz ").has_value());
    EXPECT_FALSE(hexTextFrame(u"0g ").has_value());
}

TEST(HexText, ParseHexByteLimits)
{
    EXPECT_EQ(parseHexByte(u""), 0);
    EXPECT_EQ(parseHexByte(u"  "), 0);
    EXPECT_EQ(parseHexByte(u"11"), 0x11);
    EXPECT_EQ(parseHexByte(u" a "), 0x0A);
    EXPECT_EQ(parseHexByte(u"0FF"), 0xFF);
    EXPECT_FALSE(parseHexByte(u"100").has_value());
    EXPECT_FALSE(parseHexByte(u"1 2").has_value());
    EXPECT_FALSE(parseHexByte(u"-1").has_value());
    EXPECT_FALSE(parseHexByte(u"&H1").has_value());
}

TEST(ChecksumFrame, AllTenBoxesWithChecksumGiveElevenBytes)
{
    std::array<QString, kChecksumBoxCount> boxes;
    QByteArray expected;
    unsigned sum = 0;
    for (int k = 0; k < kChecksumBoxCount; ++k) {
        boxes[k] = QString::number(0x30 + k, 16);
        expected.append(static_cast<char>(0x30 + k));
        sum += 0x30 + k;
    }
    expected.append(static_cast<char>(sum & 0xFF));
    const ChecksumFrameResult r = buildChecksumFrame(boxes, true);
    EXPECT_EQ(std::tuple(r.badBox, r.frame), std::tuple(-1, expected));
    EXPECT_EQ(buildChecksumFrame(boxes, false).frame, expected.left(10));
}

TEST(ChecksumFrame, SumWrapsAndEmptyBoxesInsideReadAsZero)
{
    std::array<QString, kChecksumBoxCount> boxes {"FF", "", "02"};
    // Two filled boxes: the frame takes boxes 0 and 1, box 1 being empty reads as 0.
    EXPECT_EQ(buildChecksumFrame(boxes, false).frame, bytesOf({0xFF, 0x00}));
    // With the checksum the third byte (box 2) is replaced by the sum FF + 00 + 02.
    EXPECT_EQ(buildChecksumFrame(boxes, true).frame, bytesOf({0xFF, 0x00, 0x01}));
}

TEST(ChecksumFrame, RefusesBoxesThatAreNotAByte)
{
    std::array<QString, kChecksumBoxCount> boxes {"11", "22", "zz"};
    ChecksumFrameResult r = buildChecksumFrame(boxes, false);
    EXPECT_EQ(r.badBox, 2);
    EXPECT_TRUE(r.frame.isEmpty());

    boxes = {"11", "100"};
    EXPECT_EQ(buildChecksumFrame(boxes, true).badBox, 1);

    // A bad box beyond the frame's length refuses as well.
    boxes = {"11", "", "", "", "", "", "", "", "", "q"};
    EXPECT_EQ(buildChecksumFrame(boxes, false).badBox, 9);
}

TEST(CommandHistory, EightLinesThenShiftAndRowsEightAndNineAreKept)
{
    // Each line moves rows 1..7 up one before it is written into row 7.
    QStringList expected {"", "", "", "", "", "", "", "", "eight", "nine"};
    QStringList check = expected;
    for (QChar c : QStringLiteral("abcdefgh")) {
        for (int i = 0; i < 7; ++i)
            expected[i] = expected[i + 1];
        expected[7] = QString(c);
        pushHistory(check, QString(c));
        EXPECT_EQ(check, expected);
    }
    pushHistory(check, "i");
    EXPECT_EQ(check, (QStringList {"b", "c", "d", "e", "f", "g", "h", "i", "eight", "nine"}));
}

TEST(RandomFrame, SizeAndRange)
{
    QRandomGenerator generator(7);
    const QByteArray frame = randomFrame(generator);
    ASSERT_EQ(frame.size(), 1001);
    int seen[100] = {};
    for (char c : frame) {
        const auto v = static_cast<std::uint8_t>(c);
        ASSERT_LT(v, 100);
        ++seen[v];
    }
    // 1001 uniform draws over 100 values leave hardly any value unseen.
    int distinct = 0;
    for (int count : seen)
        distinct += count > 0;
    EXPECT_GT(distinct, 90);
}
