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

TEST(LineOptions, ThePortsTermiosFollowsEachChoice)
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

    for (int dataBits : {7, 8}) {
        ASSERT_TRUE(applyLineOptions(port, {dataBits, Parity::None, 1, Flow::None}));
        EXPECT_EQ(termiosNow().c_cflag & CSIZE, tcflag_t(dataBits == 7 ? CS7 : CS8)) << dataBits;
    }
    const std::pair<Parity, tcflag_t> parities[] = {{Parity::None, 0}, {Parity::Even, PARENB}, {Parity::Odd, PARENB | PARODD}};
    for (const auto& [parity, flags] : parities) {
        ASSERT_TRUE(applyLineOptions(port, {8, parity, 1, Flow::None}));
        EXPECT_EQ(termiosNow().c_cflag & (PARENB | PARODD), flags) << int(parity);
    }
    for (int stopBits : {2, 1}) {
        ASSERT_TRUE(applyLineOptions(port, {8, Parity::None, stopBits, Flow::None}));
        EXPECT_EQ(termiosNow().c_cflag & CSTOPB, tcflag_t(stopBits == 2 ? CSTOPB : 0)) << stopBits;
    }
    ASSERT_TRUE(applyLineOptions(port, {8, Parity::None, 1, Flow::RtsCts}));
    EXPECT_EQ(termiosNow().c_cflag & CRTSCTS, tcflag_t(CRTSCTS));
    EXPECT_EQ(termiosNow().c_iflag & (IXON | IXOFF), 0u);
    ASSERT_TRUE(applyLineOptions(port, {8, Parity::None, 1, Flow::XonXoff}));
    EXPECT_EQ(termiosNow().c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(termiosNow().c_iflag & (IXON | IXOFF), tcflag_t(IXON | IXOFF));
    ASSERT_TRUE(applyLineOptions(port, {}));
    const termios plain = termiosNow();
    EXPECT_EQ(plain.c_cflag & (CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS), tcflag_t(CS8));
    EXPECT_EQ(plain.c_iflag & (IXON | IXOFF), 0u);
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
