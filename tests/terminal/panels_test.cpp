// The device panels' frame builders, without a window.
#include "frames/crc16.h"
#include "panels/command_rows.h"
#include "panels/download.h"
#include "panels/jog_hold.h"
#include "panels/modbus_panels.h"
#include "panels/motion_buttons.h"
#include "panels/status_and_outputs.h"

#include "support/form_controls.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <tuple>

using namespace tessa;

using tessa::testing::withCrc;

namespace {

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

}  // namespace

TEST(ModbusPanels, DesignDefaultsBuildTheKnownFrames)
{
    const auto& texts = modbusDesignTexts();
    const ModbusBuild write0 = buildWriteFrame(texts, 0);
    EXPECT_EQ(write0.problem, ModbusBuild::Problem::None);
    EXPECT_EQ(withCrc(write0.frame),
              hex("011001040002040000064"
                  "0FD9C"));
    const ModbusBuild read2 = buildReadFrame(texts, 0);
    EXPECT_EQ(withCrc(read2.frame), hex("01030200000185B2"));
    const ModbusBuild read3 = buildReadFrame(texts, 1);
    EXPECT_EQ(read3.frame, hex("010302010002"));
    // Panel 1: one register, byte count 2, the third and fourth data boxes.
    EXPECT_EQ(buildWriteFrame(texts, 1).frame, hex("011001060001020000"));
    const ModbusBuild ascii = buildFixedFrame(QStringLiteral("01"), FixedFrame::AsciiMode);
    EXPECT_EQ(withCrc(ascii.frame),
              hex("0110003A00010200"
                  "00A30A"));
    EXPECT_EQ(buildFixedFrame(QStringLiteral("7"), FixedFrame::Save).frame, hex("071003030001020000"));
}

TEST(ModbusPanels, ByteCountChoosesTheDataBoxes)
{
    auto texts = modbusDesignTexts();
    texts[5] = QStringLiteral("01");
    texts[6] = QStringLiteral("02");
    EXPECT_EQ(buildWriteFrame(texts, 0).frame, hex("011001040001020640"));
    texts[6] = QStringLiteral("4");
    texts[7] = QStringLiteral("a");
    texts[8] = QString();  // empty reads as 00
    EXPECT_EQ(buildWriteFrame(texts, 0).frame, hex("01100104000104 0A00 0640"));
}

TEST(ModbusPanels, BadBoxesAreNamedAndBuildNothing)
{
    auto texts = modbusDesignTexts();
    texts[6] = QStringLiteral("3");
    ModbusBuild b = buildWriteFrame(texts, 0);
    EXPECT_EQ(std::tuple(b.problem, b.badElement), std::tuple(ModbusBuild::Problem::ByteCountNotTwoOrFour, 6));
    EXPECT_TRUE(b.frame.isEmpty());
    EXPECT_TRUE(
        modbusRefusal(b, texts[6]).startsWith(QStringLiteral("The \"Len\" box of panel 1 (from the top) holds \"3\"")));
    texts[6] = QString();  // an emptied count box is not a count
    EXPECT_EQ(buildWriteFrame(texts, 0).problem, ModbusBuild::Problem::ByteCountNotTwoOrFour);

    texts = modbusDesignTexts();
    texts[18] = QString();  // an emptied register count
    b = buildWriteFrame(texts, 1);
    EXPECT_EQ(std::tuple(b.problem, b.badElement), std::tuple(ModbusBuild::Problem::RegisterCountNotANumber, 18));
    EXPECT_TRUE(
        modbusRefusal(b, texts[18]).startsWith(QStringLiteral("The \"Register\" box 2 of panel 2 (from the top)")));

    texts = modbusDesignTexts();
    texts[22] = QStringLiteral("100");  // above FF
    b = buildWriteFrame(texts, 1);
    EXPECT_EQ(std::tuple(b.problem, b.badElement), std::tuple(ModbusBuild::Problem::NotAHexByte, 22));
    EXPECT_TRUE(b.frame.isEmpty());
    texts = modbusDesignTexts();
    texts[29] = QStringLiteral("G1");
    b = buildReadFrame(texts, 0);
    EXPECT_EQ(b.badElement, 29);
    EXPECT_TRUE(modbusRefusal(b, texts[29]).contains(QStringLiteral("\"G1\"")));
    EXPECT_EQ(buildFixedFrame(QStringLiteral("x"), FixedFrame::Save).badElement, kFixedIdBox);
    // Hexadecimal digits in either case, three digits while the value fits a byte.
    texts = modbusDesignTexts();
    texts[26] = QStringLiteral("0A1");
    texts[27] = QStringLiteral("fF");
    EXPECT_EQ(buildReadFrame(texts, 0).frame, hex("A1FF02000001"));
}

TEST(ModbusPanels, RegisterCountCoupling)
{
    CouplingStep s = registerCountCoupling(QStringLiteral("01"));
    EXPECT_EQ(std::tuple(s.byteCount, s.firstDataVisible), std::tuple(QStringLiteral("02"), false));
    EXPECT_FALSE(s.registerCount);
    s = registerCountCoupling(QStringLiteral("2"));
    EXPECT_EQ(std::tuple(s.byteCount, s.firstDataVisible), std::tuple(QStringLiteral("04"), true));
    s = registerCountCoupling(QStringLiteral("5"));
    EXPECT_EQ(s.registerCount, QStringLiteral("02"));
    EXPECT_FALSE(s.byteCount);
    s = registerCountCoupling(QStringLiteral("0"));
    EXPECT_EQ(s.registerCount, QStringLiteral("01"));
    s = registerCountCoupling(QStringLiteral("-7"));
    EXPECT_EQ(s.registerCount, QStringLiteral("01"));
    s = registerCountCoupling(QStringLiteral("99999999999999999999999"));  // no number at all
    EXPECT_FALSE(s.registerCount || s.byteCount || s.firstDataVisible);
    for (const char* junk : {"", " ", "x", "1x", "0x2"}) {
        s = registerCountCoupling(QString::fromLatin1(junk));
        EXPECT_FALSE(s.registerCount || s.byteCount || s.firstDataVisible) << junk;
    }
}

TEST(ModbusPanels, SettingKeysSkipTheFunctionCode)
{
    const auto keys0 = modbusKeysOfPanel(0);
    ASSERT_EQ(keys0.size(), 8);
    EXPECT_EQ(keys0[0], std::make_pair(QStringLiteral("Modbus1_1"), 0));
    EXPECT_EQ(keys0[1], std::make_pair(QStringLiteral("Modbus1_3"), 2));
    EXPECT_EQ(keys0[3], std::make_pair(QStringLiteral("Modbus1_5"), 6));
    EXPECT_EQ(keys0[7], std::make_pair(QStringLiteral("Modbus1_9"), 10));
    EXPECT_EQ(modbusKeysOfPanel(1)[4], std::make_pair(QStringLiteral("Modbus2_6"), 20));
    const auto keys3 = modbusKeysOfPanel(3);
    ASSERT_EQ(keys3.size(), 5);
    EXPECT_EQ(keys3[1], std::make_pair(QStringLiteral("Modbus4_2"), 36));
    EXPECT_EQ(keys3[4], std::make_pair(QStringLiteral("Modbus4_5"), 39));
    EXPECT_EQ(modbusKeysOfPanel(4), (QList<std::pair<QString, int>> {{QStringLiteral("Modbus5"), 42}}));
    EXPECT_EQ(modbusSettingKeys().size(), 8 + 8 + 5 + 5 + 1);
}

TEST(CommandRows, LinesAndLimits)
{
    EXPECT_EQ(commandRowLine(QStringLiteral("ABS=200"), QStringLiteral("12")), QStringLiteral("ABS=200,12"));
    EXPECT_EQ(commandRowLine(QString(), QStringLiteral("3")), QStringLiteral(",3"));
    EXPECT_STREQ(commandRow(3).idBox, "Text13");
    EXPECT_STREQ(commandRow(5).commandBox, "Text17");
    EXPECT_EQ(commandRowKey(8), QStringLiteral("REL8"));
    EXPECT_EQ(commandRowIdKey(2), QStringLiteral("RELID2"));
    EXPECT_EQ(encoderPrefix(), QByteArray("c99="));
    EXPECT_EQ(sabsPrefix(), QByteArray("c41="));

    const auto id = [](const char* text, const char* last = "4") {
        return limitedText(QString::fromLatin1(text), kIdLowest, kIdHighest, QString::fromLatin1(last));
    };
    EXPECT_EQ(id("70"), QStringLiteral("63"));
    EXPECT_EQ(id("-5"), QStringLiteral("0"));
    EXPECT_EQ(id("-"), QStringLiteral("-"));
    EXPECT_EQ(id(""), QString());
    EXPECT_EQ(id("1.5"), QStringLiteral("1.5"));
    EXPECT_EQ(id("63"), QStringLiteral("63"));
    EXPECT_EQ(id("99999999999999999999999"), QStringLiteral("63"));
    EXPECT_EQ(id("a"), QStringLiteral("4"));  // junk goes back to the last valid text
    EXPECT_EQ(id("1-", "7"), QStringLiteral("7"));
    const auto sabs = [](const char* text) {
        return limitedText(QString::fromLatin1(text), kSabsLowest, kSabsHighest, QStringLiteral("0"));
    };
    EXPECT_EQ(sabs("9000000"), QStringLiteral("8300000"));
    EXPECT_EQ(sabs("-9000000"), QStringLiteral("-8300000"));
    EXPECT_EQ(sabs("8300000"), QStringLiteral("8300000"));
    EXPECT_EQ(sabs("-12"), QStringLiteral("-12"));
}

TEST(CommandRows, ReceivedTextFile)
{
    EXPECT_EQ(QFileInfo(receivedTextPath()).fileName(), QStringLiteral("tessa.txt"));
#ifndef Q_OS_WIN
    EXPECT_EQ(QFileInfo(receivedTextPath()).absolutePath(), QDir::homePath());
#endif
    EXPECT_EQ(receivedTextBytes(QStringLiteral("AB  \nCD")), QByteArray("AB  \r\nCD\r\n"));
    EXPECT_EQ(receivedTextBytes(QString()), QByteArray("\r\n"));
}

TEST(SpecialIo, PatternsAndQueries)
{
    EXPECT_EQ(outputPattern(false, false, false, true), QStringLiteral("0001"));
    EXPECT_EQ(outputPattern(true, false, true, false), QStringLiteral("1010"));
    EXPECT_EQ(outputPattern(false, false, false, false), QStringLiteral("0000"));
    EXPECT_EQ(outonPrefix(), hex("6336393D"));
    EXPECT_EQ(outoffPrefix(), hex("6337313D"));
    EXPECT_EQ(inputQuery(), hex("6335340D0A"));
    EXPECT_EQ(sensorQuery(), hex("6338350D0A"));
}

TEST(MotionButtons, CommandsAndJogFrames)
{
    EXPECT_EQ(motionCommand("c53"), hex("6335330D0A"));
    EXPECT_EQ(jogStepFrame(kJogMinus), hex("E380ED"));
    EXPECT_EQ(jogStepFrame(kJogPlus), hex("E300ED"));
    EXPECT_EQ(jogHoldFrame(kJogPlus), hex("D800ED"));
    EXPECT_EQ(jogReleaseFrame(), hex("E600ED"));
}

TEST(MotionButtons, JogHoldIsDueAfter200MsOncePerPressAndEndsOnRelease)
{
    using namespace std::chrono_literals;
    const JogHold::Clock::time_point t0 {};
    JogHold jog;
    EXPECT_FALSE(jog.msUntilHold(t0).has_value());
    jog.press(kJogMinus, t0);
    EXPECT_EQ(jog.msUntilHold(t0), 200);
    // A tick 10.5 ms early waits 11 ms more, never rounding down to "due".
    EXPECT_EQ(jog.msUntilHold(t0 + 189500us), 11);
    EXPECT_EQ(jog.msUntilHold(t0 + 199999us), 1);
    EXPECT_FALSE(jog.takeHoldFrame(t0 + 199999us).has_value());
    EXPECT_EQ(jog.takeHoldFrame(t0 + 200ms), QByteArray::fromHex("D880ED"));
    EXPECT_FALSE(jog.takeHoldFrame(t0 + 900ms).has_value());  // once per press
    EXPECT_TRUE(jog.release());
    EXPECT_FALSE(jog.release());  // a second end of the same press sends nothing again
    // Released before 200 ms: no hold frame is ever due for that press.
    jog.press(kJogPlus, t0 + 1s);
    EXPECT_TRUE(jog.release());
    EXPECT_FALSE(jog.takeHoldFrame(t0 + 2s).has_value());
    EXPECT_EQ(jog.direction(), kJogPlus);
}

TEST(Download, SizeLimitAndUnchangedBytes)
{
    EXPECT_EQ(programAnnouncement(), hex("6337330D0A"));
    EXPECT_EQ(parameterAnnouncement(), hex("6338330D0A"));
    QTemporaryDir dir;
    const auto make = [&](const QString& name, const QByteArray& content) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        return f.fileName();
    };
    QByteArray full(10000, '\0');
    for (int i = 0; i < full.size(); ++i)
        full[i] = static_cast<char>(i * 7);
    DownloadFile r = readDownloadFile(make(QStringLiteral("full.txt"), full));
    EXPECT_EQ(std::tuple(r.status, r.bytes), std::tuple(DownloadFile::Status::Ok, full));
    r = readDownloadFile(make(QStringLiteral("over.txt"), full + 'x'));
    EXPECT_EQ(r.status, DownloadFile::Status::TooLarge);
    EXPECT_TRUE(r.bytes.isEmpty());
    r = readDownloadFile(make(QStringLiteral("huge.txt"), QByteArray(200000, 'h')));
    EXPECT_EQ(r.status, DownloadFile::Status::TooLarge);
    r = readDownloadFile(make(QStringLiteral("bin.txt"), hex("00FF0D0A1A")));
    EXPECT_EQ(r.bytes, hex("00FF0D0A1A"));
    r = readDownloadFile(make(QStringLiteral("empty.txt"), QByteArray()));
    EXPECT_EQ(r.status, DownloadFile::Status::Ok);
    EXPECT_TRUE(r.bytes.isEmpty());
    r = readDownloadFile(dir.filePath(QStringLiteral("missing.txt")));
    EXPECT_EQ(r.status, DownloadFile::Status::Unreadable);
    EXPECT_FALSE(r.error.isEmpty());
    EXPECT_EQ(downloadTooLargeMessage(), QStringLiteral("Filesize too large over 10000Bytes"));
}
