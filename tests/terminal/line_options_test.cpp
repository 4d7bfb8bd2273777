#include "line/line_options.h"
#include "settings/settings_store.h"
#include "support/pty_pair.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSerialPort>
#include <QTemporaryDir>

#include <termios.h>

using namespace tessa;
using Parity = LineOptions::Parity;
using Flow = LineOptions::FlowControl;

TEST(LineOptions, DefaultsAreNoParityEightDataOneStopNoFlowControl)
{
    const LineOptions options;
    EXPECT_EQ(lineOptionsCaption(options), u"n,8,1");
    EXPECT_EQ(lineSettingsText(9600, options), u"9600,n,8,1");
    EXPECT_EQ(options.flowControl, Flow::None);
    EXPECT_EQ(lineOptionsCaption({7, Parity::Even, 2, Flow::None}), u"e,7,2");
    EXPECT_EQ(lineOptionsCaption({8, Parity::Odd, 1, Flow::XonXoff}), u"o,8,1");
}

TEST(LineOptions, SavedUnderTheirOwnKeysAndLoadedBack)
{
    QTemporaryDir dir;
    SettingsStore store(dir.filePath(QStringLiteral("settings.ini")));
    EXPECT_EQ(loadLineOptions(store), LineOptions{});

    const LineOptions chosen{7, Parity::Odd, 2, Flow::RtsCts};
    saveLineOptions(store, chosen);
    EXPECT_EQ(store.read(QStringLiteral("LINE DATA BITS"), {}), u"7");
    EXPECT_EQ(store.read(QStringLiteral("LINE PARITY"), {}), u"o");
    EXPECT_EQ(store.read(QStringLiteral("LINE STOP BITS"), {}), u"2");
    EXPECT_EQ(store.read(QStringLiteral("LINE FLOW CONTROL"), {}), u"rts/cts");
    EXPECT_EQ(loadLineOptions(store), chosen);
    saveLineOptions(store, {8, Parity::Even, 1, Flow::XonXoff});
    EXPECT_EQ(loadLineOptions(store), (LineOptions{8, Parity::Even, 1, Flow::XonXoff}));

    // A value edited by hand into something else falls back to that field's default only.
    store.write(QStringLiteral("LINE DATA BITS"), QStringLiteral("6"));
    store.write(QStringLiteral("LINE FLOW CONTROL"), QStringLiteral("dtr"));
    EXPECT_EQ(loadLineOptions(store), (LineOptions{8, Parity::Even, 1, Flow::None}));
}

TEST(LineOptions, ThePortsTermiosFollowsEachChoiceThePtyCanHold)
{
    tessa::testing::PtyPair pty;
    ASSERT_TRUE(pty.ready());
    QSerialPort port(pty.nearPath());
    ASSERT_TRUE(port.open(QIODevice::ReadWrite));
    const auto termiosNow = [&] {
        termios tio{};
        EXPECT_EQ(tcgetattr(port.handle(), &tio), 0);
        return tio;
    };

    for (int stopBits : {2, 1}) {
        EXPECT_EQ(applyLineOptions(port, {8, Parity::None, stopBits, Flow::None}), QString());
        EXPECT_EQ(termiosNow().c_cflag & CSTOPB, tcflag_t(stopBits == 2 ? CSTOPB : 0)) << stopBits;
    }
    EXPECT_EQ(applyLineOptions(port, {8, Parity::None, 1, Flow::RtsCts}), QString());
    EXPECT_EQ(termiosNow().c_cflag & CRTSCTS, tcflag_t(CRTSCTS));
    EXPECT_EQ(termiosNow().c_iflag & (IXON | IXOFF), 0u);
    EXPECT_EQ(applyLineOptions(port, {8, Parity::None, 1, Flow::XonXoff}), QString());
    EXPECT_EQ(termiosNow().c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(termiosNow().c_iflag & (IXON | IXOFF), tcflag_t(IXON | IXOFF));
    EXPECT_EQ(applyLineOptions(port, {}), QString());
    const termios plain = termiosNow();
    EXPECT_EQ(plain.c_cflag & (CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS), tcflag_t(CS8));
    EXPECT_EQ(plain.c_iflag & (IXON | IXOFF), 0u);
}

TEST(LineOptions, ALineThatKeepsItsOwnFramingIsReportedNotTrusted)
{
    // A Linux pty always runs 8 data bits without parity (older kernels accept the request and
    // keep their own, newer ones refuse it): the choice must come back as not taken, while the
    // stop bits and flow control chosen with it still apply.
    tessa::testing::PtyPair pty;
    ASSERT_TRUE(pty.ready());
    QSerialPort port(pty.nearPath());
    ASSERT_TRUE(port.open(QIODevice::ReadWrite));
    termios tio{};

    const QString seven = applyLineOptions(port, {7, Parity::None, 2, Flow::RtsCts});
    EXPECT_EQ(seven, QStringLiteral("The port %1 did not take 7 data bits").arg(pty.nearPath()));
    ASSERT_EQ(tcgetattr(port.handle(), &tio), 0);
    EXPECT_EQ(tio.c_cflag & (CSIZE | CSTOPB | CRTSCTS), tcflag_t(CS8 | CSTOPB | CRTSCTS));

    EXPECT_EQ(applyLineOptions(port, {8, Parity::Even, 1, Flow::None}),
              QStringLiteral("The port %1 did not take parity e").arg(pty.nearPath()));
    EXPECT_EQ(applyLineOptions(port, {7, Parity::Odd, 1, Flow::None}),
              QStringLiteral("The port %1 did not take 7 data bits, parity o").arg(pty.nearPath()));
    ASSERT_EQ(tcgetattr(port.handle(), &tio), 0);
    EXPECT_EQ(tio.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), tcflag_t(CS8));
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
