// Program records, display lines and the program file format.
#include "program/program_file.h"
#include "program/record_format.h"

#include "support/bytes_of.h"

#include <QBuffer>

#include <gtest/gtest.h>

using namespace tessa;

namespace {

using tessa::testing::bytesOf;

}  // namespace

TEST(ProgramRecords, BuiltFromTheEditorInBothShapes)
{
    EXPECT_EQ(buildRecord({.delay = false, .delayText = {}, .hex = true, .crLf = true, .data = "01 03 "}),
              QStringLiteral("(H)DA01 03 "));
    EXPECT_EQ(buildRecord({.delay = false, .delayText = {}, .hex = false, .crLf = false, .data = "ver"}),
              QStringLiteral("(C)  ver"));
    EXPECT_EQ(buildRecord({.delay = true, .delayText = "250", .hex = true, .crLf = true, .data = "x"}),
              QStringLiteral("SYSTEM DELAY 250"));
}

TEST(ProgramRecords, DisplayLinesNumberAndShowTheData)
{
    EXPECT_EQ(displayLine(1, u"(H)DA01 03 "), QStringLiteral("001 01 03  +CrLf"));
    EXPECT_EQ(displayLine(1, u"(C)  ver"), QStringLiteral("001 ver"));
    EXPECT_EQ(displayLine(2, u"SYSTEM DELAY 250"), QStringLiteral("002 SYSTEM DELAY 250"));
    EXPECT_EQ(displayLine(1000, u"(C)  x"), QStringLiteral("1000 x"));
    // Only characters 6..105 of a data record are shown.
    const QString longData(150, u'z');
    EXPECT_EQ(displayLine(42, QStringLiteral("(C)  ") + longData), QStringLiteral("042 ") + QString(100, u'z'));
}

TEST(ProgramRecords, LeadingNumbersAndDelayValues)
{
    EXPECT_EQ(leadingNumber(u""), 0);
    EXPECT_EQ(leadingNumber(u"  250ms"), 250);
    EXPECT_EQ(leadingNumber(u"abc"), 0);
    EXPECT_EQ(leadingNumber(u"-12"), -12);
    EXPECT_EQ(leadingNumber(u"99999999999999999999"), 2147483647);
    // Characters 13..17: the space and at most four digits.
    EXPECT_EQ(delayValue(u"SYSTEM DELAY 500"), 500);
    EXPECT_EQ(delayValue(u"SYSTEM DELAY 12345"), 1234);
    EXPECT_EQ(replayPauseMs(u"SYSTEM DELAY 0"), 0);
    EXPECT_EQ(replayPauseMs(u"SYSTEM DELAY abc"), 0);
    EXPECT_EQ(replayPauseMs(u"SYSTEM DELAY -5"), 0);
    EXPECT_EQ(replayPauseMs(u"SYSTEM DELAY 9999"), 9999);
}

TEST(ProgramRecords, NormalisedAsTheEditorRebuildsThem)
{
    EXPECT_EQ(normalizedRecord(u"SYSTEM DELAY  0042x"), QStringLiteral("SYSTEM DELAY 4"));
    EXPECT_EQ(normalizedRecord(u"SYSTEM DELAY junk"), QStringLiteral("SYSTEM DELAY 0"));
    EXPECT_EQ(normalizedRecord(u"(H)DA0A "), QStringLiteral("(H)DA0A "));
    EXPECT_FALSE(normalizedRecord(u"(C)DA").has_value());
    // Unknown prefixes become character data without CR LF; data is cut to 100 characters.
    EXPECT_EQ(normalizedRecord(u"hello world"), QStringLiteral("(C)   world"));
    EXPECT_EQ(normalizedRecord(QStringLiteral("(C)DA") + QString(120, u'q'))->size(), 105);
}

TEST(ProgramRecords, BytesOnTheLine)
{
    EXPECT_EQ(recordBytes(u"(H)DA01 03 "), bytesOf({0x01, 0x03, 0x0D, 0x0A}));
    EXPECT_EQ(recordBytes(u"(C)  ver"), QByteArray("ver"));
    EXPECT_EQ(recordBytes(u"(H)  ff 7F "), bytesOf({0xFF, 0x7F}));
    EXPECT_EQ(recordBytes(u"(C)DA\u00e9\u4e2d"), bytesOf({0xE9, '?', 0x0D, 0x0A}));
    EXPECT_FALSE(recordBytes(u"SYSTEM DELAY 5").has_value());
    EXPECT_FALSE(recordBytes(u"(H)DA0G ").has_value());
    EXPECT_TRUE(isSendable(u"(C)  0G "));
    EXPECT_FALSE(isSendable(u"(H)  01 zz "));
    EXPECT_TRUE(isSendable(u"(H)  01 0 "));
}

TEST(ProgramFile, ReadsWhatItWritesIncludingQuotesAndCommas)
{
    const QStringList records {"(C)DAver", "SYSTEM DELAY 500", "(C)  say \"hi\", then go", "(H)  01 02 ",
                               QStringLiteral("(C)  \u00e9 ")};
    EXPECT_EQ(programFileFields(programFileBytes(records)), records);
}

TEST(ProgramFile, ToleratesLooseFiles)
{
    EXPECT_TRUE(programFileFields({}).isEmpty());
    EXPECT_TRUE(programFileFields("\r\n\r\n  \n").isEmpty());
    EXPECT_EQ(programFileFields("\"(C)  a\""), QStringList({"(C)  a"}));  // no final CR LF
    EXPECT_EQ(programFileFields("\"(C)  a\"\n\"(C)  b\"\r"), QStringList({"(C)  a", "(C)  b"}));
    EXPECT_EQ(programFileFields(" abc , def \r\n"), QStringList({"abc", "def"}));  // unquoted: commas
    EXPECT_EQ(programFileFields("\"(C)  open\r\n"), QStringList({"(C)  open"}));  // no closing quote
    EXPECT_EQ(programFileFields("\"\r\n"), QStringList({""}));
    const QByteArray binary("\x00\x01\xff\"\x7f\r\r\n\x00", 9);
    EXPECT_EQ(programFileFields(binary).size(), 2);
}

TEST(ProgramFileLoad, RecordsAsTheEditorStoresThemAndRefusalsCounted)
{
    const ProgramFileLoad load = parseProgramFile(
        "\"(C)  a\"\r\n\"(H)DA0Z \"\r\n\"(C)DA\"\r\n\"SYSTEM DELAY 250\"\r\n\"SYSTEM DELAY -5\"\r\n(C)  x,,(C)  y");
    EXPECT_EQ(load.records, QStringList({"(C)  a", "SYSTEM DELAY 250", "(C)  x", "(C)  y"}));
    ASSERT_EQ(load.reported.size(), 4);
    // Each names the file's line and says what is wrong, in English throughout.
    EXPECT_TRUE(load.reported[0].startsWith(QStringLiteral("File line 2: not loaded: \"0Z \" is not hexadecimal")))
        << load.reported[0].toStdString();
    EXPECT_EQ(load.reported[1], QStringLiteral("File line 3: not loaded: no data."));
    EXPECT_TRUE(
        load.reported[2].startsWith(QStringLiteral("File line 5: not loaded: the delay \"-5\" is not 0 to 9999 ms")))
        << load.reported[2].toStdString();
    EXPECT_EQ(load.reported[3], QStringLiteral("File line 6: not loaded: no data."));  // the empty field between commas
    EXPECT_FALSE(load.full || load.cut);
    EXPECT_EQ(load.messages().size(), 1);
}

// Lines the format reads differently from how they are written load as before, and each is
// named with its line and what became of it.
TEST(ProgramFileLoad, LinesLoadedChangedAreNamedWithWhatBecameOfThem)
{
    const QByteArray longData = "\"(C)  " + QByteArray(5 * 1024 * 1024, 'z') + "\"";
    const ProgramFileLoad load = parseProgramFile("\"SYSTEM DELAY 12x4\"\r\n\"SYSTEM DELAY\"\r\n"
                                                  "\"SYSTEM DELAY 99999999999\"\r\n\"(Q)DAhello\"\r\n"
                                                  "\"(C)  kept\"\r\nunquoted line\r\n"
                                                  + longData + "\r\n");
    ASSERT_EQ(load.records.size(), 7);
    EXPECT_EQ(load.records.mid(0, 3), QStringList({"SYSTEM DELAY 12", "SYSTEM DELAY 0", "SYSTEM DELAY 9999"}));
    EXPECT_EQ(load.records[6].size(), 5 + kDataTextShown);
    const QStringList expected {
        QStringLiteral("File line 1: \"SYSTEM DELAY 12x4\" loaded as program line 1 \"SYSTEM DELAY 12\"."),
        QStringLiteral("File line 2: \"SYSTEM DELAY\" loaded as program line 2 \"SYSTEM DELAY 0\"."),
        QStringLiteral("File line 3: \"SYSTEM DELAY 99999999999\" loaded as program line 3 \"SYSTEM DELAY 9999\"."),
        QStringLiteral("File line 4: \"(Q)DAhello\" loaded as program line 4 \"%1\".").arg(load.records[3]),
        QStringLiteral("File line 6: \"unquoted line\" loaded as program line 6 \"%1\".").arg(load.records[5]),
    };
    ASSERT_EQ(load.reported.size(), 6);
    EXPECT_EQ(load.reported.mid(0, 5), expected);
    EXPECT_TRUE(load.reported[5].startsWith(QStringLiteral("File line 7: data of 5242880 characters cut to 100, "
                                                           "loaded as program line 7")))
        << load.reported[5].left(200).toStdString();
    EXPECT_LT(load.reported[5].size(), 400);
    ASSERT_EQ(load.messages().size(), 1);
    EXPECT_TRUE(load.messages()[0].startsWith(QStringLiteral("6 lines of the file were not loaded as written:\n")));
}

TEST(ProgramFileLoad, StopsAtTheLimitAndKeepsOnlyASummaryOfRefusals)
{
    QByteArray many;
    for (int i = 0; i < 1500; ++i)
        many += "\"(H)  0Z\"\r\n\"(C)  " + QByteArray::number(i) + "\"\r\n";
    const ProgramFileLoad load = parseProgramFile(many);
    EXPECT_EQ(load.records.size(), kProgramMaxLines);
    EXPECT_EQ(load.records.last(), QStringLiteral("(C)  999"));
    EXPECT_TRUE(load.full);
    // Refusals before the limit: 1000, of which the first are named.
    EXPECT_EQ(load.reported.size(), kReportedLinesNamed);
    EXPECT_EQ(load.reportedMore, 1000 - kReportedLinesNamed);
    const QStringList messages = load.messages();
    ASSERT_EQ(messages.size(), 2);
    EXPECT_TRUE(messages[0].startsWith(kProgramFullText));
    EXPECT_TRUE(messages[1].endsWith(QStringLiteral("... and %1 more.").arg(1000 - kReportedLinesNamed)));

    // A line of nothing but commas: every field refused, one summary.
    const ProgramFileLoad commas = parseProgramFile(QByteArray(200000, ','));
    EXPECT_TRUE(commas.records.isEmpty());
    EXPECT_EQ(commas.reported.size() + commas.reportedMore, 200001);
}

TEST(ProgramFileLoad, SaysWhenTheFileWasCutAt16MiB)
{
    QByteArray bytes = "\"(C)  first\"\r\n" + QByteArray(kMaxProgramFileBytes, '\n');
    QBuffer longer(&bytes);
    ASSERT_TRUE(longer.open(QIODevice::ReadOnly));
    const ProgramFileLoad cut = readProgramFile(longer);
    EXPECT_TRUE(cut.cut);
    EXPECT_EQ(cut.records, QStringList {"(C)  first"});
    ASSERT_FALSE(cut.messages().isEmpty());
    EXPECT_TRUE(cut.messages()[0].contains(QStringLiteral("only its first 16 MiB were read")));

    bytes.truncate(kMaxProgramFileBytes);  // exactly the limit: whole
    QBuffer exact(&bytes);
    ASSERT_TRUE(exact.open(QIODevice::ReadOnly));
    EXPECT_FALSE(readProgramFile(exact).cut);
}
