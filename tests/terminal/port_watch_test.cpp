#include "support/wait_for.h"
#include "serial/port_watcher.h"
#include "serial/reconnect_policy.h"
#include "serial/serial_port.h"

#include "support/pty_pair.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
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
        QObject::connect(&watcher, &PortWatcher::appeared, [this](const QString& p) { log << QStringLiteral("+") + p; });
        QObject::connect(&watcher, &PortWatcher::vanished, [this](const QString& p) { log << QStringLiteral("-") + p; });
    }
    QStringList log;
};

}  // namespace

TEST(PortWatcher, ReportsAWatchedPathComingAndGoing)
{
    PtyPair pty{PtyPair::Start::Later};
    PortWatcher watcher;
    watcher.setIntervalMs(50);
    watcher.addPath(pty.nearPath());
    Events events(watcher);
    watcher.start();
    EXPECT_FALSE(watcher.isPresent(pty.nearPath()));

    ASSERT_TRUE(pty.plugIn());
    ASSERT_TRUE(waitFor([&] { return events.log.size() == 1; }));
    EXPECT_EQ(events.log, QStringList{QStringLiteral("+") + pty.nearPath()});
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

    PtyPair pty{PtyPair::Start::Later};
    SerialPort port;
    PortWatcher watcher;
    ReconnectPolicy policy{watcher, [this] { return port.open(); }};
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
    EXPECT_EQ(reconnectedTo, QStringList{pty.nearPath()});
    EXPECT_TRUE(port.isOpen());
    EXPECT_FALSE(policy.isAwaiting());

    FarEnd device(pty.farPath());
    ASSERT_TRUE(device.isOpen());
    ASSERT_TRUE(device.write("back"));
    QByteArray got;
    EXPECT_TRUE(waitFor([&] { got += port.readAll(); return got == "back"; })) << got.constData();
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
TEST(ReconnectPolicy, ADeviceAlreadyBackWhenTheLossIsHandledIsReopened)
{
    PtyPair pty{PtyPair::Start::Later};
    ASSERT_TRUE(pty.plugIn());
    SerialPort port;
    port.setPortResolver([&](int) { return pty.nearPath(); });
    port.setPortNumber(1);
    port.setSettings(QStringLiteral("115200,n,8,1"));
    ASSERT_TRUE(port.open()) << port.errorString().toStdString();
    PortWatcher watcher;
    watcher.setIntervalMs(50);
    watcher.start();
    ReconnectPolicy policy{watcher, [&] { return port.open(); }};
    policy.setEnabled(true);
    QStringList reconnectedTo;
    QObject::connect(&policy, &ReconnectPolicy::reconnected, [&](const QString& p) { reconnectedTo << p; });
    bool lost = false;
    QObject::connect(&port, &SerialPort::lost, [&] { lost = true; });

    pty.stop();
    ASSERT_TRUE(waitFor([&] { return lost; }));
    ASSERT_TRUE(pty.plugIn());
    runEventsFor(200);
    policy.portLost(pty.nearPath());
    ASSERT_TRUE(waitFor([&] { return !reconnectedTo.isEmpty(); }));
    EXPECT_EQ(reconnectedTo, QStringList{pty.nearPath()});
    EXPECT_TRUE(port.isOpen());
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
