#include "support/wait_for.h"
#include "serial/device_identity.h"
#include "serial/port_watcher.h"
#include "serial/reconnect_policy.h"
#include "serial/serial_port.h"

#include "support/pty_pair.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <functional>

using namespace tessa;
using tessa::testing::FarEnd;
using tessa::testing::PtyPair;

namespace {

using tessa::testing::waitFor;

void runEventsFor(int ms)
{
    waitFor([] { return false; }, ms);
}

struct Events {
    explicit Events(PortWatcher& watcher)
    {
        QObject::connect(&watcher, &PortWatcher::appeared,
                         [this](const QString& p) { log << QStringLiteral("+") + p; });
        QObject::connect(&watcher, &PortWatcher::vanished,
                         [this](const QString& p) { log << QStringLiteral("-") + p; });
    }
    QStringList log;
};

}  // namespace

TEST(PortWatcher, ReportsAWatchedPathComingAndGoing)
{
    PtyPair pty {PtyPair::Start::Later};
    PortWatcher watcher;
    watcher.setIntervalMs(50);
    watcher.addPath(pty.nearPath());
    Events events(watcher);
    watcher.start();
    EXPECT_FALSE(watcher.isPresent(pty.nearPath()));

    ASSERT_TRUE(pty.plugIn());
    ASSERT_TRUE(waitFor([&] { return events.log.size() == 1; }));
    EXPECT_EQ(events.log, QStringList {QStringLiteral("+") + pty.nearPath()});
    EXPECT_TRUE(watcher.ports().contains(pty.nearPath()));

    pty.stop();
    ASSERT_TRUE(waitFor([&] { return events.log.size() == 2; }));
    EXPECT_EQ(events.log.last(), QStringLiteral("-") + pty.nearPath());
    EXPECT_FALSE(watcher.ports().contains(pty.nearPath()));

    ASSERT_TRUE(pty.plugIn());
    ASSERT_TRUE(waitFor([&] { return events.log.size() == 3; }));
    EXPECT_EQ(events.log.last(), QStringLiteral("+") + pty.nearPath());
    runEventsFor(200);
    EXPECT_EQ(events.log.size(), 3) << "a port that stays is reported once";
}

// The terminal's port on the near end, with the policy wired as the window wires it.
class ReconnectTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.plugIn());
        port.setPortResolver([this](int) { return pty.nearPath(); });
        port.setPortNumber(1);
        port.setSettings(QStringLiteral("115200,n,8,1"));
        ASSERT_TRUE(port.open()) << port.errorString().toStdString();
        watcher.setIntervalMs(50);
        watcher.start();
        QObject::connect(&port, &SerialPort::lost, [this] { policy.portLost(port.devicePath()); });
        QObject::connect(&policy, &ReconnectPolicy::reconnected, [this](const QString& p) { reconnectedTo << p; });
    }

    PtyPair pty {PtyPair::Start::Later};
    SerialPort port;
    PortWatcher watcher;
    ReconnectPolicy policy {watcher, [this] { return port.open(); }};
    QStringList reconnectedTo;
};

TEST_F(ReconnectTest, WhenOnThePortReopensAtTheSamePathAndCarriesBytes)
{
    policy.setEnabled(true);
    pty.stop();
    ASSERT_TRUE(waitFor([&] { return policy.isAwaiting(); }));
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(policy.awaitedPath(), pty.nearPath());
    runEventsFor(200);
    EXPECT_TRUE(reconnectedTo.isEmpty());

    ASSERT_TRUE(pty.plugIn());
    ASSERT_TRUE(waitFor([&] { return !reconnectedTo.isEmpty(); }));
    EXPECT_EQ(reconnectedTo, QStringList {pty.nearPath()});
    EXPECT_TRUE(port.isOpen());
    EXPECT_FALSE(policy.isAwaiting());

    FarEnd device(pty.farPath());
    ASSERT_TRUE(device.isOpen());
    ASSERT_TRUE(device.write("back"));
    QByteArray got;
    QObject::connect(&port, &SerialPort::received, [&](const ReceivedChunk& chunk) { got += chunk.bytes; });
    EXPECT_TRUE(waitFor([&] {
        port.deliverReceived();
        return got == "back";
    })) << got.constData();
    ASSERT_TRUE(port.write(QByteArrayView("again")));
    EXPECT_EQ(device.read(5), "again");
}

TEST_F(ReconnectTest, WhenOffOrCancelledThePortStaysClosed)
{
    pty.stop();
    ASSERT_TRUE(waitFor([&] { return policy.isAwaiting(); }));
    ASSERT_TRUE(pty.plugIn());
    ASSERT_TRUE(waitFor([&] { return watcher.isPresent(pty.nearPath()); }));
    runEventsFor(300);
    EXPECT_FALSE(port.isOpen());
    EXPECT_TRUE(reconnectedTo.isEmpty());

    // Turned on, then the user disconnects by hand before the device returns.
    policy.setEnabled(true);
    pty.stop();
    ASSERT_TRUE(waitFor([&] { return !watcher.isPresent(pty.nearPath()); }));
    policy.cancel();
    ASSERT_TRUE(pty.plugIn());
    ASSERT_TRUE(waitFor([&] { return watcher.isPresent(pty.nearPath()); }));
    runEventsFor(300);
    EXPECT_FALSE(port.isOpen());
    EXPECT_TRUE(reconnectedTo.isEmpty());
}

// The window reports a lost port with a message first; a device plugged back in before that is
// acknowledged shows no appearance to wait for, yet is reopened.
TEST_F(ReconnectTest, ADeviceAlreadyBackWhenTheLossIsHandledIsReopened)
{
    QObject::disconnect(&port, &SerialPort::lost, nullptr, nullptr);  // handled below, late
    policy.setEnabled(true);
    bool lost = false;
    QObject::connect(&port, &SerialPort::lost, [&] { lost = true; });

    pty.stop();
    ASSERT_TRUE(waitFor([&] { return lost; }));
    ASSERT_TRUE(pty.plugIn());
    runEventsFor(200);
    policy.portLost(pty.nearPath());
    ASSERT_TRUE(waitFor([&] { return !reconnectedTo.isEmpty(); }));
    EXPECT_EQ(reconnectedTo, QStringList {pty.nearPath()});
    EXPECT_TRUE(port.isOpen());
}

// What tells a returning device from another at the same path (identities as the system gives
// them; a USB adapter cannot be plugged in here).
TEST(DeviceIdentity, OnlyTheSameDeviceCountsAsBack)
{
    DeviceIdentity adapter;
    adapter.present = true;
    adapter.target = QStringLiteral("/dev/ttyUSB0");
    adapter.usb = true;
    adapter.vendor = 0x0403;
    adapter.product = 0x6001;
    adapter.serialNumber = QStringLiteral("A10K3X");
    adapter.byIdName = QStringLiteral("usb-FTDI_FT232R_A10K3X-if00-port0");
    DeviceIdentity replugged = adapter;
    replugged.inode += 7;  // a new node, the same adapter
    replugged.changeNs += 1000;
    DeviceIdentity otherAdapter = replugged;
    otherAdapter.serialNumber = QStringLiteral("B77Q");
    otherAdapter.byIdName = QStringLiteral("usb-FTDI_FT232R_B77Q-if00-port0");
    DeviceIdentity otherModel = replugged;
    otherModel.product = 0x6015;

    DeviceIdentity link;  // socat's link to /dev/pts/4
    link.present = true;
    link.target = QStringLiteral("/dev/pts/4");
    link.rdev = 0x8804;
    link.inode = 7;
    link.changeNs = 100;
    link.isLink = true;
    link.linkInode = 900;
    link.linkChangeNs = 50;
    DeviceIdentity staleLinkReusedNumber = link;  // the same link, pts 4 handed to another program
    staleLinkReusedNumber.changeNs = 200;
    DeviceIdentity linkMadeAgain = staleLinkReusedNumber;  // the device's program made it again
    linkMadeAgain.linkInode = 901;
    linkMadeAgain.linkChangeNs = 300;
    DeviceIdentity nothing;
    DeviceIdentity plainPty = link;
    plainPty.isLink = false;
    DeviceIdentity plainPtyReused = staleLinkReusedNumber;
    plainPtyReused.isLink = false;

    const struct {
        const DeviceIdentity& was;
        const DeviceIdentity& now;
        bool same;
        const char* what;
    } cases[] = {
        {adapter, replugged, true, "the same adapter plugged in again"},
        {adapter, otherAdapter, false, "another adapter of the same model"},
        {adapter, otherModel, false, "another model"},
        {adapter, link, false, "a pty where the adapter was"},
        {link, adapter, false, "an adapter where the pty link was"},
        {link, link, true, "the same link and node"},
        {link, staleLinkReusedNumber, false, "a stale link to a reused pty number"},
        {link, linkMadeAgain, true, "the link made again"},
        {link, nothing, false, "nothing there"},
        {plainPty, plainPtyReused, false, "a reused pty number named directly"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isSameDevice(c.was, c.now), c.same) << c.what;
}
