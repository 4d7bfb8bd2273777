// The control lines against a stub port (a pty has no modem lines), the real port's answer on
// a pty, and, when TESSA_REAL_LINE names a serial device, on a real line.
#include "serial/control_lines.h"
#include "serial/serial_port.h"
#include "settings/settings_keys.h"
#include "settings/settings_store.h"

#include "support/pty_pair.h"
#include "support/wait_for.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTemporaryDir>

#include <sys/ioctl.h>

using namespace tessa;
using tessa::testing::PtyPair;
using tessa::testing::waitFor;

namespace {

// A port with modem lines: outputs as set, inputs as the test puts them; or none at all.
class StubPort : public ControlLinesPort {
public:
    bool open = true;
    bool hasLines = true;
    int number = 4;
    bool rts = false;
    bool dtr = false;
    bool inBreak = false;
    int breakCalls = 0;
    QSerialPort::PinoutSignals inputs;

    bool isOpen() const override { return open; }
    int portNumber() const override { return number; }
    bool setRequestToSend(bool on) override { return hasLines && open && ((rts = on), true); }
    bool setDataTerminalReady(bool on) override { return hasLines && open && ((dtr = on), true); }
    bool setBreakEnabled(bool on) override
    {
        ++breakCalls;
        inBreak = on;
        return open;
    }
    std::optional<QSerialPort::PinoutSignals> pinoutSignals() override
    {
        if (!open || !hasLines)
            return std::nullopt;
        QSerialPort::PinoutSignals lines = inputs;
        lines.setFlag(QSerialPort::RequestToSendSignal, rts);
        lines.setFlag(QSerialPort::DataTerminalReadySignal, dtr);
        return lines;
    }
};

class ControlLinesTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    SettingsStore settings {dir.filePath(QStringLiteral("settings.ini"))};
    StubPort port;
};

TEST_F(ControlLinesTest, RtsAndDtrAreKeptPerPortNumberAndAppliedAtOpen)
{
    ControlLines lines(port, settings);
    // Nothing stored: both on, as a port opens.
    lines.portOpened();
    EXPECT_EQ(lines.state(), ControlLines::State::Live);
    EXPECT_TRUE(port.rts);
    EXPECT_TRUE(port.dtr);
    EXPECT_TRUE(lines.setRequestToSend(false));
    EXPECT_TRUE(lines.setDataTerminalReady(true));
    EXPECT_FALSE(port.rts);
    EXPECT_FALSE(lines.requestToSend());
    lines.portClosed();

    // Another port number keeps its own; the first one's come back with it.
    port.number = 5;
    lines.portOpened();
    EXPECT_TRUE(port.rts);
    lines.setDataTerminalReady(false);
    lines.portClosed();
    port.number = 4;
    port.rts = port.dtr = true;
    lines.portOpened();
    EXPECT_FALSE(port.rts);
    EXPECT_TRUE(port.dtr);
    EXPECT_EQ(settings.read(controlLinesDtrKey(5), {}), QStringLiteral("0"));
}

TEST_F(ControlLinesTest, InputLinesArePolledOnlyWhileOpenAndChangesReportedOnce)
{
    ControlLines lines(port, settings);
    QSignalSpy changes(&lines, &ControlLines::inputsChanged);
    port.inputs = QSerialPort::ClearToSendSignal;
    lines.portOpened();
    ASSERT_EQ(changes.size(), 1);
    EXPECT_EQ(lines.inputs(), QSerialPort::PinoutSignals(QSerialPort::ClearToSendSignal));

    port.inputs =
        QSerialPort::ClearToSendSignal | QSerialPort::RingIndicatorSignal | QSerialPort::DataCarrierDetectSignal;
    ASSERT_TRUE(waitFor([&] { return changes.size() == 2; }, 1000));
    EXPECT_EQ(lines.inputs(), port.inputs);
    // The outputs are not inputs: RTS going off changes no lamp.
    lines.setRequestToSend(false);
    lines.poll();
    EXPECT_EQ(changes.size(), 2);

    lines.portClosed();
    EXPECT_EQ(lines.state(), ControlLines::State::Closed);
    EXPECT_EQ(lines.inputs(), QSerialPort::PinoutSignals());
    port.inputs = QSerialPort::DataSetReadySignal;
    QSignalSpy states(&lines, &ControlLines::stateChanged);
    tessa::testing::waitFor([] { return false; }, 4 * ControlLines::kPollMs);
    EXPECT_EQ(changes.size(), 2);
    EXPECT_EQ(states.size(), 0);
}

TEST_F(ControlLinesTest, LineWithoutModemLinesIsUnavailableOnceAndNotPolled)
{
    port.hasLines = false;
    ControlLines lines(port, settings);
    QSignalSpy states(&lines, &ControlLines::stateChanged);
    QSignalSpy changes(&lines, &ControlLines::inputsChanged);
    lines.portOpened();
    ASSERT_EQ(states.size(), 1);
    EXPECT_EQ(lines.state(), ControlLines::State::Unavailable);
    tessa::testing::waitFor([] { return false; }, 4 * ControlLines::kPollMs);
    EXPECT_EQ(states.size(), 1);
    EXPECT_EQ(changes.size(), 0);
    // A choice made meanwhile is kept for a line that has them.
    EXPECT_FALSE(lines.setRequestToSend(false));
    EXPECT_EQ(settings.read(controlLinesRtsKey(4), {}), QStringLiteral("0"));
}

TEST_F(ControlLinesTest, BreakLastsItsLengthWithoutBlockingAndIsKept)
{
    ControlLines lines(port, settings);
    lines.setBreakMs(0);
    EXPECT_EQ(lines.breakMs(), 1);
    lines.setBreakMs(120);
    EXPECT_EQ(ControlLines(port, settings).breakMs(), 120);
    lines.portOpened();
    ASSERT_TRUE(lines.sendBreak());
    EXPECT_TRUE(port.inBreak);
    EXPECT_FALSE(lines.sendBreak());  // one at a time
    EXPECT_TRUE(lines.breaking());
    ASSERT_TRUE(waitFor([&] { return !port.inBreak; }, 2000));
    EXPECT_FALSE(lines.breaking());
    EXPECT_EQ(port.breakCalls, 2);
    port.open = false;
    EXPECT_FALSE(lines.sendBreak());
}

// What the real port says on a pty: no modem lines, and the port stays open and usable.
TEST(ControlLinesOnPty, RealPortReportsNoLinesAndStaysOpen)
{
    PtyPair pty;
    ASSERT_TRUE(pty.ready());
    SerialPort port;
    port.setPortResolver([&](int) { return pty.nearPath(); });
    port.setSettings(QStringLiteral("9600,n,8,1"));
    ASSERT_TRUE(port.open());
    EXPECT_FALSE(port.pinoutSignals().has_value());
    EXPECT_FALSE(port.setRequestToSend(false));
    tessa::testing::waitFor([] { return false; }, 50);
    EXPECT_TRUE(port.isOpen());
    EXPECT_TRUE(port.write(QByteArrayView("ok")));
}

// On a real serial line (TESSA_REAL_LINE=/dev/ttyS0, say): RTS and DTR as set read back from
// the line's own modem state.
TEST(ControlLinesOnRealLine, OutputsReadBackFromTheLine)
{
    const QString device = qEnvironmentVariable("TESSA_REAL_LINE");
    if (device.isEmpty())
        GTEST_SKIP() << "TESSA_REAL_LINE names no serial device";
    QTemporaryDir dir;
    SettingsStore settings(dir.filePath(QStringLiteral("settings.ini")));
    SerialPort port;
    port.setPortResolver([&](int) { return device; });
    port.setPortNumber(1);
    port.setSettings(QStringLiteral("9600,n,8,1"));
    ASSERT_TRUE(port.open()) << port.errorString().toStdString();
    ControlLines lines(port, settings);
    lines.portOpened();
    ASSERT_EQ(lines.state(), ControlLines::State::Live);
    const auto modemBits = [&] {
        int bits = 0;
        EXPECT_EQ(::ioctl(static_cast<int>(port.handle()), TIOCMGET, &bits), 0);
        return bits;
    };
    for (const bool on : {false, true}) {
        ASSERT_TRUE(lines.setRequestToSend(on));
        ASSERT_TRUE(lines.setDataTerminalReady(!on));
        EXPECT_EQ((modemBits() & TIOCM_RTS) != 0, on);
        EXPECT_EQ((modemBits() & TIOCM_DTR) != 0, !on);
    }
    std::printf("modem bits 0x%x, inputs 0x%x\n", modemBits(), static_cast<unsigned>(lines.inputs().toInt()));
}

}  // namespace
