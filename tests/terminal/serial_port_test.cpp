#include "support/wait_for.h"
#include "serial/connection.h"
#include "serial/port_number.h"
#include "serial/serial_port.h"
#include "settings/settings_store.h"
#include "support/pty_pair.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <random>

#include <sys/resource.h>
#include <sys/ioctl.h>
#include <unistd.h>

using namespace tessa;
using tessa::testing::FarEnd;
using tessa::testing::PtyPair;

namespace {

using tessa::testing::waitFor;

double processCpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// A port wired to one end of a fresh pty pair.
class SerialPortTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.ready()) << "socat did not make a pty pair";
        port.setPortResolver([this](int) { return pty.nearPath(); });
        port.setPortNumber(1);
        port.setSettings(QStringLiteral("115200,n,8,1"));
    }

    PtyPair pty;
    SerialPort port;
};

}  // namespace

TEST(PortNumber, LeadingDigitsAndTableRange)
{
    EXPECT_EQ(parsePortNumber(u""), 0);
    EXPECT_EQ(parsePortNumber(u"7"), 7);
    EXPECT_EQ(parsePortNumber(u"12ab"), 12);
    EXPECT_EQ(parsePortNumber(u"x3"), 0);
    EXPECT_GE(parsePortNumber(u"99999999999999999999"), 22);
    EXPECT_FALSE(isPortNumberInTables(0));
    EXPECT_TRUE(isPortNumberInTables(1));
    EXPECT_TRUE(isPortNumberInTables(21));
    EXPECT_FALSE(isPortNumberInTables(22));
    EXPECT_FALSE(isPortNumberInTables(-1));
}

TEST(PortNumber, DeviceFromEnvironmentThenStoreThenDefault)
{
    QTemporaryDir dir;
    SettingsStore store(dir.path() + QStringLiteral("/s.ini"));
    qunsetenv("TESSA_COM9");
    EXPECT_EQ(devicePathForPort(9, &store), "/dev/ttyS8");
    EXPECT_EQ(devicePathForPort(1, nullptr), "/dev/ttyS0");
    store.setPortPath(9, QStringLiteral("/dev/ttyUSB1"));
    EXPECT_EQ(devicePathForPort(9, &store), "/dev/ttyUSB1");
    qputenv("TESSA_COM9", "/tmp/some-pty");
    EXPECT_EQ(devicePathForPort(9, &store), "/tmp/some-pty");
    EXPECT_EQ(devicePathForPort(9, nullptr), "/tmp/some-pty");
    qunsetenv("TESSA_COM9");
}

TEST_F(SerialPortTest, BusyMissingAndBadSettingsFailToOpen)
{
    QSerialPort other(pty.nearPath());
    ASSERT_TRUE(other.open(QIODevice::ReadWrite));
    EXPECT_FALSE(port.open());
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(port.errorString().isEmpty());
    other.close();
    EXPECT_TRUE(port.open());
    port.close();

    port.setPortResolver([](int) { return QStringLiteral("/nonexistent/tessa-port"); });
    EXPECT_FALSE(port.open());
    EXPECT_FALSE(port.isOpen());

    port.setPortResolver([this](int) { return pty.nearPath(); });
    port.setSettings(QStringLiteral("fast,n,8,1"));
    EXPECT_FALSE(port.open());
    EXPECT_FALSE(port.isOpen());
}

TEST_F(SerialPortTest, VanishedDeviceClosesAndReportsOnce)
{
    QSignalSpy lost(&port, &SerialPort::lost);
    ASSERT_TRUE(port.open());
    pty.stop();
    ASSERT_TRUE(waitFor([&] { return lost.count() >= 1; }));
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(port.write(QByteArrayView("x")));

    // Closed for good: no further report, and the event loop idles instead of spinning.
    const double cpuBefore = processCpuSeconds();
    QEventLoop idle;
    QTimer::singleShot(1000, &idle, &QEventLoop::quit);
    idle.exec();
    EXPECT_EQ(lost.count(), 1);
#ifndef ORVANE_SANITIZED  // a sanitizer's own work would count as the port's
    EXPECT_LT(processCpuSeconds() - cpuBefore, 0.5);
#else
    (void)cpuBefore;
#endif
}

TEST_F(SerialPortTest, ReadBufferHoldsBackAFastSenderWithoutLosingBytes)
{
    FarEnd far(pty.farPath());
    ASSERT_TRUE(port.open());
    QByteArray sent(3 * SerialPort::kReadBufferBytes, '\0');
    for (qsizetype i = 0; i < sent.size(); ++i)
        sent[i] = static_cast<char>(i % 251);
    qsizetype written = 0;
    QByteArray got;
    qint64 mostWaiting = 0;
    ASSERT_TRUE(waitFor(
        [&] {
            if (written < sent.size())
                written += far.writeSome(QByteArrayView(sent).sliced(written));
            mostWaiting = qMax(mostWaiting, port.bytesWaiting());
            // Reading lags behind writing so that the buffer fills up to its cap.
            if (written == sent.size() || mostWaiting >= SerialPort::kReadBufferBytes)
                got += port.readAll();
            return got.size() >= sent.size();
        },
        30000));
    EXPECT_GE(mostWaiting, SerialPort::kReadBufferBytes);
    EXPECT_EQ(got, sent);
}

TEST(Connection, AvailabilityAndTheSucceededFlagFollowEachConnect)
{
    PtyPair line;
    ASSERT_TRUE(line.ready());
    QTemporaryDir dir;
    qputenv("TESSA_COM3", line.nearPath().toLocal8Bit());
    qputenv("TESSA_COM4", dir.filePath(QStringLiteral("nothing")).toLocal8Bit());
    Connection connection(nullptr);
    connection.markScanPortsAvailable();
    EXPECT_EQ(connection.availability(0), 0);
    EXPECT_EQ(connection.availability(20), 1);
    EXPECT_EQ(connection.availability(21), 0);
    EXPECT_EQ(connection.availability(-1), 0);

    EXPECT_EQ(connection.connectTo(3, QStringLiteral("9600,n,8,1")), Connection::Outcome::Opened);
    EXPECT_TRUE(connection.connectSucceeded());
    EXPECT_TRUE(connection.port().isOpen());
    EXPECT_EQ(connection.port().settings(), QStringLiteral("9600,n,8,1"));

    // A failed connect closes the open port first and marks the number unavailable.
    EXPECT_EQ(connection.connectTo(4, QStringLiteral("9600,n,8,1")), Connection::Outcome::OpenFailed);
    EXPECT_FALSE(connection.connectSucceeded());
    EXPECT_FALSE(connection.port().isOpen());
    EXPECT_EQ(connection.availability(4), 0);
    EXPECT_EQ(connection.availability(3), 1);

    // Numbers beyond the tables are refused without touching them.
    EXPECT_EQ(connection.connectTo(3, QStringLiteral("9600,n,8,1")), Connection::Outcome::Opened);
    for (const int number : {0, 22, 100000}) {
        EXPECT_EQ(connection.connectTo(number, QStringLiteral("9600,n,8,1")), Connection::Outcome::NumberOutOfRange);
        EXPECT_FALSE(connection.connectSucceeded());
        EXPECT_FALSE(connection.port().isOpen());
    }

    // A number that failed comes back once it opens.
    qputenv("TESSA_COM4", line.nearPath().toLocal8Bit());
    EXPECT_EQ(connection.connectTo(4, QStringLiteral("9600,n,8,1")), Connection::Outcome::Opened);
    EXPECT_EQ(connection.availability(4), 1);
    qunsetenv("TESSA_COM3");
    qunsetenv("TESSA_COM4");
}

namespace {

// Runs the event loop for ms: long enough for a chunk on a pty to be noticed if anything looks.
void runEvents(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Bytes in the line's (kernel's) buffer, not yet read by anybody.
int bytesInLine(const SerialPort& port)
{
    int count = 0;
    return ::ioctl(static_cast<int>(port.handle()), FIONREAD, &count) == 0 ? count : -1;
}

bool waitForBytesInLine(const SerialPort& port, int count)
{
    const QDeadlineTimer deadline(5000);
    while (bytesInLine(port) < count && !deadline.hasExpired())
        ::usleep(1000);
    return bytesInLine(port) >= count;
}

}  // namespace

// Nobody wanting arrival times, bytes are taken and reported when asked (the receive poll);
// while someone does, as they arrive, without asking. Bytes not yet reported when a write left
// are counted as having come before it, in either way of reading.
TEST_F(SerialPortTest, ReportsOnArrivalOnlyWhileWantedAndCountsBytesBeforeAWrite)
{
    FarEnd far(pty.farPath());
    ASSERT_TRUE(port.open());
    QByteArray reported;
    QObject::connect(&port, &SerialPort::received, [&](QByteArrayView bytes) { reported += bytes.toByteArray(); });
    ASSERT_TRUE(far.write(QByteArray("polled\r\n")));
    runEvents(200);
    EXPECT_TRUE(reported.isEmpty()) << "reported before anyone asked: " << reported.toStdString();
    EXPECT_EQ(port.bytesWaiting(), 8);
    EXPECT_EQ(reported, QByteArray("polled\r\n"));
    EXPECT_EQ(port.readAll(), QByteArray("polled\r\n"));

    int watcher = 0;
    port.wantArrivals(&watcher, true);
    EXPECT_TRUE(port.takesOnArrival());
    reported.clear();
    ASSERT_TRUE(far.write(QByteArray("early\r\n")));
    ASSERT_TRUE(waitFor([&] { return reported.size() >= 7; }));
    EXPECT_EQ(reported, QByteArray("early\r\n"));
    EXPECT_EQ(port.bytesWaiting(), 7);
    EXPECT_EQ(port.readAll(), QByteArray("early\r\n"));

    // Bytes still in the line when a write leaves (no event loop ran since they came).
    for (const bool onArrival : {true, false}) {
        port.wantArrivals(&watcher, onArrival);
        ASSERT_TRUE(far.write(QByteArray("late")));
        ASSERT_TRUE(waitForBytesInLine(port, 4));
        reported.clear();
        ASSERT_TRUE(port.write(QByteArrayView("q")));
        EXPECT_EQ(port.arrivedBeforeLastWrite(), 4) << "on arrival: " << onArrival;
        EXPECT_TRUE(reported.isEmpty());
        ASSERT_TRUE(waitFor([&] { return port.bytesWaiting() >= 4; }));
        EXPECT_EQ(port.readAll(), QByteArray("late"));
        ASSERT_TRUE(port.write(QByteArrayView("r")));
        EXPECT_EQ(port.arrivedBeforeLastWrite(), 0);
    }
    // Two wishes: arrivals are taken until the last one is withdrawn.
    int other = 0;
    port.wantArrivals(&watcher, true);
    port.wantArrivals(&other, true);
    port.wantArrivals(&watcher, false);
    EXPECT_TRUE(port.takesOnArrival());
    port.wantArrivals(&other, false);
    EXPECT_FALSE(port.takesOnArrival());

    // A fast line is read on arrival until a poll finds it slow again.
    const QByteArray burst(2 * SerialPort::kFastLineBytes, 'f');
    ASSERT_TRUE(far.write(burst));
    ASSERT_TRUE(waitFor([&] { return port.bytesWaiting() >= burst.size(); }));
    EXPECT_EQ(port.readAll(), burst);
    EXPECT_TRUE(port.takesOnArrival());
    EXPECT_TRUE(port.readAll().isEmpty());
    EXPECT_FALSE(port.takesOnArrival());
}

// The way of reading changes while bytes wait both in QSerialPort and in the line: every byte
// is read and reported once, in order, over many random changes and chunk sizes.
TEST_F(SerialPortTest, ChangingTheWayOfReadingKeepsEveryByteInOrder)
{
    FarEnd far(pty.farPath());
    ASSERT_TRUE(port.open());
    QByteArray reported;
    QObject::connect(&port, &SerialPort::received, [&](QByteArrayView bytes) { reported += bytes.toByteArray(); });
    std::mt19937 random(20261207);
    QByteArray sent;
    QByteArray read;
    int watcher = 0;
    for (int round = 0; round < 300; ++round) {
        QByteArray chunk(std::uniform_int_distribution<int>(1, 700)(random), '\0');
        for (char& byte : chunk)
            byte = static_cast<char>(sent.size() % 251), sent += byte;
        ASSERT_TRUE(far.write(chunk));
        switch (std::uniform_int_distribution<int>(0, 3)(random)) {
        case 0:
            port.wantArrivals(&watcher, true);
            break;
        case 1:
            port.wantArrivals(&watcher, false);
            break;
        case 2:
            QCoreApplication::processEvents();
            break;
        default:
            read += port.readAll();
            break;
        }
    }
    ASSERT_TRUE(waitFor([&] {
        read += port.readAll();
        return read.size() >= sent.size();
    }));
    EXPECT_EQ(read, sent);
    EXPECT_EQ(reported, sent);
}

// A device lost while QSerialPort waits for us to read (one byte held) is noticed by the poll.
TEST_F(SerialPortTest, LossIsNoticedByThePollWhileReadingWaits)
{
    QSignalSpy lost(&port, &SerialPort::lost);
    {
        FarEnd far(pty.farPath());
        ASSERT_TRUE(port.open());
        ASSERT_TRUE(far.write(QByteArray("xy")));
        ASSERT_TRUE(waitFor([&] { return bytesInLine(port) == 1; })) << "QSerialPort took one byte and waits";
    }
    pty.stop();
    runEvents(200);
    ASSERT_TRUE(waitFor([&] {
        port.bytesWaiting();
        return lost.count() >= 1;
    }));
    EXPECT_FALSE(port.isOpen());
}

// Every chunk is reported once, as it left and as it was taken from the line: what a traffic
// log or a reply decoder sees is exactly what passed the port.
TEST_F(SerialPortTest, OpensAndReportsEveryChunkSentAndTakenUntilClosed)
{
    FarEnd far(pty.farPath());
    ASSERT_TRUE(far.isOpen());
    QByteArray sent;
    QByteArray received;
    int sentChunks = 0;
    QObject::connect(&port, &SerialPort::sent, [&](QByteArrayView bytes) {
        sent += bytes.toByteArray();
        ++sentChunks;
    });
    QObject::connect(&port, &SerialPort::received, [&](QByteArrayView bytes) { received += bytes.toByteArray(); });
    ASSERT_TRUE(port.open()) << port.errorString().toStdString();
    EXPECT_TRUE(port.isOpen());

    EXPECT_TRUE(port.write(QByteArrayView("\x01\x03\x00", 3)));
    EXPECT_TRUE(port.write(QStringView(u"ab\u00e9")));  // text leaves as Latin-1
    EXPECT_EQ(sentChunks, 2);
    EXPECT_EQ(sent,
              QByteArray("\x01\x03\x00"
                         "ab\xE9",
                         6));
    EXPECT_EQ(far.read(6), sent);

    ASSERT_TRUE(far.write(QByteArray("one,")));
    ASSERT_TRUE(waitFor([&] { return port.bytesWaiting() >= 4; }));
    ASSERT_TRUE(far.write(QByteArray("two")));
    QByteArray read;
    ASSERT_TRUE(waitFor([&] {
        read += port.readAll();
        return read.size() >= 7;
    }));
    EXPECT_EQ(read, "one,two");
    EXPECT_EQ(received, "one,two") << "each byte once, though the first chunk was looked at twice";
    EXPECT_EQ(port.bytesWaiting(), 0);

    port.close();
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(port.write(QByteArrayView("x")));
    EXPECT_EQ(port.bytesWaiting(), 0);
    EXPECT_TRUE(port.readAll().isEmpty());
    EXPECT_EQ(sentChunks, 2) << "a refused write is not reported";
}

// The line framing is laid over the settings string at every open; a refusal keeps the port open.
TEST_F(SerialPortTest, LineFramingAppliesAtEveryOpenAndARefusalIsKept)
{
    LineSettings options;
    options.stopBits = 2;
    options.flowControl = LineSettings::FlowControl::RtsCts;
    port.setLineFraming(options);
    ASSERT_TRUE(port.open()) << port.errorString().toStdString();
    EXPECT_TRUE(port.lineRefusal().isEmpty());
    EXPECT_EQ(port.lineInEffect(),
              (LineSettings {.baudRate = 115200, .stopBits = 2, .flowControl = options.flowControl}))
        << "the baud stays the settings string's";

    options.parity = LineSettings::Parity::Odd;
    port.setLineFraming(options);
    port.close();
    ASSERT_TRUE(port.open());
    EXPECT_TRUE(port.isOpen());
    EXPECT_TRUE(port.lineRefusal().contains(QStringLiteral("parity o"))) << port.lineRefusal().toStdString();
    options.parity = LineSettings::Parity::None;
    port.setLineFraming(options);
    const QString refusal = port.applyLineFramingNow();
    EXPECT_TRUE(refusal.isEmpty()) << refusal.toStdString();
    EXPECT_TRUE(port.lineRefusal().isEmpty());
}
