// The device panels' frame builders, without a window.
#include "panels/command_rows.h"
#include "panels/download.h"
#include "panels/jog_hold.h"
#include "panels/modbus_panels.h"
#include "panels/motion_buttons.h"

#include "support/form_controls.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <tuple>

using namespace tessa;

using tessa::testing::hex;

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
    texts[22] = QStringLiteral("100");  // above FF
    b = buildWriteFrame(texts, 1);
    EXPECT_EQ(std::tuple(b.problem, b.badElement), std::tuple(ModbusBuild::Problem::NotAHexByte, 22));
    EXPECT_TRUE(b.frame.isEmpty());
    texts = modbusDesignTexts();
    texts[29] = QStringLiteral("G1");
    b = buildReadFrame(texts, 0);
    EXPECT_EQ(b.badElement, 29);
    EXPECT_TRUE(modbusRefusal(b, texts[29]).contains(QStringLiteral("\"G1\"")));
    // Hexadecimal digits in either case, three digits while the value fits a byte.
    texts = modbusDesignTexts();
    texts[26] = QStringLiteral("0A1");
    texts[27] = QStringLiteral("fF");
    EXPECT_EQ(buildReadFrame(texts, 0).frame, hex("A1FF02000001"));
}

// The window test types the counts 1, 5 (held to 2), 0 (held to 1), 9, junk and nothing.
TEST(ModbusPanels, RegisterCountCouplingOfNegativeHugeAndJunkCounts)
{
    CouplingStep s = registerCountCoupling(QStringLiteral("-7"));
    EXPECT_EQ(s.registerCount, QStringLiteral("01"));
    EXPECT_FALSE(s.byteCount);
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

TEST(CommandRows, LimitedTextClampsNumbersAndRefusesJunk)
{
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

// The window test downloads a file of exactly the limit, one byte over and an empty one.
TEST(Download, FilesFarOverTheLimitOrMissingAreRefused)
{
    QTemporaryDir dir;
    const auto make = [&](const QString& name, const QByteArray& content) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        return f.fileName();
    };
    DownloadFile r = readDownloadFile(make(QStringLiteral("huge.txt"), QByteArray(200000, 'h')));
    EXPECT_EQ(r.status, DownloadFile::Status::TooLarge);
    EXPECT_TRUE(r.bytes.isEmpty());
    r = readDownloadFile(dir.filePath(QStringLiteral("missing.txt")));
    EXPECT_EQ(r.status, DownloadFile::Status::Unreadable);
    EXPECT_FALSE(r.error.isEmpty());
}
