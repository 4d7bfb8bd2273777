#include "line/line_settings.h"
#include "settings/settings_store.h"
#include "support/pty_pair.h"

#include <gtest/gtest.h>

#include <QSerialPort>
#include <QTemporaryDir>

#include <termios.h>

using namespace tessa;
using Parity = LineSettings::Parity;
using Flow = LineSettings::FlowControl;

TEST(LineSettings, TheSettingsStringIsParsedAndWrittenBack)
{
    EXPECT_EQ(parseLineSettings(u"9600,n,8,1"), LineSettings {});
    EXPECT_EQ(lineSettingsText({}), u"9600,n,8,1");
    EXPECT_EQ(lineFramingCaption({}), u"n,8,1");
    const LineSettings odd {.baudRate = 115200, .parity = Parity::Odd, .dataBits = 7, .stopBits = 2};
    EXPECT_EQ(parseLineSettings(u" 115200 ,O, 7 ,2"), odd);
    EXPECT_EQ(lineFramingCaption(odd), u"o,7,2");
    for (const char16_t* text : {u"1200,m,5,1.5", u"56000,s,6,1", u"19200,e,8,2"})
        EXPECT_EQ(lineSettingsText(parseLineSettings(text).value_or(LineSettings {})), QStringView(text));
    for (const char16_t* bad : {u"", u"9600", u"abc,n,8,1", u"9600,x,8,1", u"9600,n,9,1", u"9600,n,4,1", u"9600,n,8,3",
                                u"0,n,8,1", u"9600,n,8,1,"})
        EXPECT_FALSE(parseLineSettings(bad).has_value()) << QString::fromUtf16(bad).toStdString();
}

TEST(LineSettings, FramingSavedUnderItsOwnKeysAndLoadedBack)
{
    QTemporaryDir dir;
    SettingsStore store(dir.filePath(QStringLiteral("settings.ini")));
    EXPECT_EQ(loadLineFraming(store), LineSettings {});

    const LineSettings chosen {.parity = Parity::Odd, .dataBits = 7, .stopBits = 2, .flowControl = Flow::RtsCts};
    saveLineFraming(store, chosen);
    EXPECT_EQ(store.read(QStringLiteral("LINE DATA BITS"), {}), u"7");
    EXPECT_EQ(store.read(QStringLiteral("LINE PARITY"), {}), u"o");
    EXPECT_EQ(store.read(QStringLiteral("LINE STOP BITS"), {}), u"2");
    EXPECT_EQ(store.read(QStringLiteral("LINE FLOW CONTROL"), {}), u"rts/cts");
    EXPECT_EQ(loadLineFraming(store), chosen);
    const LineSettings even {.parity = Parity::Even, .flowControl = Flow::XonXoff};
    saveLineFraming(store, even);
    EXPECT_EQ(loadLineFraming(store), even);

    // A value edited by hand into something else falls back to that field's default only.
    store.write(QStringLiteral("LINE DATA BITS"), QStringLiteral("6"));
    store.write(QStringLiteral("LINE FLOW CONTROL"), QStringLiteral("dtr"));
    EXPECT_EQ(loadLineFraming(store), (LineSettings {.parity = Parity::Even}));
}

TEST(LineSettings, ThePortsTermiosFollowsEachChoiceThePtyCanHoldAndIsReadBack)
{
    tessa::testing::PtyPair pty;
    ASSERT_TRUE(pty.ready());
    QSerialPort port(pty.nearPath());
    ASSERT_TRUE(port.open(QIODevice::ReadWrite));
    const auto termiosNow = [&] {
        termios tio {};
        EXPECT_EQ(tcgetattr(port.handle(), &tio), 0);
        return tio;
    };

    for (const LineSettings& line :
         {LineSettings {.baudRate = 19200, .stopBits = 2}, LineSettings {.stopBits = 1},
          LineSettings {.flowControl = Flow::RtsCts}, LineSettings {.flowControl = Flow::XonXoff}}) {
        const LineRefusal refusal = applyLineSettings(port, line);
        EXPECT_EQ(refusal.message, QString()) << lineSettingsText(line).toStdString();
        EXPECT_FALSE(refusal.settingFailed);
        EXPECT_EQ(lineSettingsInEffect(port), line) << lineSettingsText(line).toStdString();
        EXPECT_EQ(termiosNow().c_cflag & CSTOPB, tcflag_t(line.stopBits == 2 ? CSTOPB : 0));
        EXPECT_EQ(termiosNow().c_cflag & CRTSCTS, tcflag_t(line.flowControl == Flow::RtsCts ? CRTSCTS : 0));
        EXPECT_EQ(termiosNow().c_iflag & (IXON | IXOFF),
                  tcflag_t(line.flowControl == Flow::XonXoff ? IXON | IXOFF : 0));
    }
    EXPECT_EQ(applyLineSettings(port, {}).message, QString());
    EXPECT_EQ(termiosNow().c_cflag & (CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS), tcflag_t(CS8));
    port.close();
    EXPECT_EQ(lineSettingsInEffect(port), std::nullopt);
}

TEST(LineSettings, ALineThatKeepsItsOwnFramingIsReportedNotTrusted)
{
    // A Linux pty always runs 8 data bits without parity (older kernels accept the request and
    // keep their own, newer ones refuse it): the choice must come back as not taken, while the
    // stop bits and flow control chosen with it still apply.
    tessa::testing::PtyPair pty;
    ASSERT_TRUE(pty.ready());
    QSerialPort port(pty.nearPath());
    ASSERT_TRUE(port.open(QIODevice::ReadWrite));

    const QString seven = applyLineSettings(port, {.dataBits = 7, .stopBits = 2, .flowControl = Flow::RtsCts}).message;
    EXPECT_EQ(seven, QStringLiteral("The port %1 did not take 7 data bits").arg(pty.nearPath()));
    EXPECT_EQ(lineSettingsInEffect(port), (LineSettings {.stopBits = 2, .flowControl = Flow::RtsCts}));

    EXPECT_EQ(applyLineSettings(port, {.parity = Parity::Even}).message,
              QStringLiteral("The port %1 did not take parity e").arg(pty.nearPath()));
    EXPECT_EQ(applyLineSettings(port, {.parity = Parity::Odd, .dataBits = 7}).message,
              QStringLiteral("The port %1 did not take 7 data bits, parity o").arg(pty.nearPath()));
    EXPECT_EQ(lineSettingsInEffect(port), LineSettings {});
}
