#include "support/wait_for.h"
#include "serial/connection.h"
#include "serial/port_number.h"
#include "serial/line_reader.h"
#include "serial/serial_port.h"
#include "settings/settings_store.h"
#include "raw_pty.h"
#include "support/pty_pair.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <random>

#include <sys/resource.h>
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

// Nobody delivering, the reader stops at its bound: the sender waits in the line's buffer and
// no byte is lost once delivery resumes.
TEST_F(SerialPortTest, UndeliveredChunksHoldBackAFastSenderWithoutLosingBytes)
{
    FarEnd far(pty.farPath());
    ASSERT_TRUE(port.open());
    QByteArray got;
    QObject::connect(&port, &SerialPort::received, [&](const ReceivedChunk& chunk) { got += chunk.bytes; });
    QByteArray sent(3 * LineReader::kMostQueuedBytes, '\0');
    for (qsizetype i = 0; i < sent.size(); ++i)
        sent[i] = static_cast<char>(i % 251);
    qsizetype written = 0;
    // Fill until the line refuses more for a while: the reader has stopped at its bound.
    QDeadlineTimer quiet(500);
    ASSERT_TRUE(waitFor(
        [&] {
            const qsizetype now = far.writeSome(QByteArrayView(sent).sliced(written));
            written += now;
            if (now > 0)
                quiet.setRemainingTime(500);
            return quiet.hasExpired() || written == sent.size();
        },
        30000));
    EXPECT_LT(written, sent.size()) << "the sender was never held back";
    EXPECT_GE(port.undeliveredBytes(), LineReader::kMostQueuedBytes);
    EXPECT_LE(port.undeliveredBytes(), LineReader::kMostQueuedBytes + 65536);
    EXPECT_TRUE(got.isEmpty());
    ASSERT_TRUE(waitFor(
        [&] {
            if (written < sent.size())
                written += far.writeSome(QByteArrayView(sent).sliced(written));
            port.deliverReceived();
            return got.size() >= sent.size();
        },
        30000));
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

qint64 wallMsNow()
{
    return ReceivedChunk::stampedNow({}).wallMs;
}

}  // namespace

// Chunks are read and stamped as they arrive and wait until delivered: at the receive tick,
// or at once while someone wants them so. Bytes not yet delivered when a write left are
// counted as having come before it.
// The reader on its own, on a raw pty, with no event loop: while a chunk gathers its bytes wait
// in the kernel, and still count as arrived (a request's reply watch relies on it), and a take
// in the middle of the gathering brings them.
TEST(LineReader, BytesStillGatheringCountAsArrivedAndComeWithTheNextTake)
{
    PtyPair pty;
    ASSERT_TRUE(pty.ready()) << "socat did not make a pty pair";
    FarEnd far(pty.farPath());
    const int near = orvane::testing::openRawLine(QFile::encodeName(pty.nearPath()).toStdString(), true);
    ASSERT_GE(near, 0);
    LineReader reader([] {});
    reader.setLineRate(11520);  // 115200 baud: one look at the end of a gathering
    ASSERT_TRUE(reader.start(near));
    // Seen mid-gathering at least once in a few tries (a busy machine may pass one by).
    bool seenInKernel = false;
    for (int attempt = 0; attempt < 20 && !seenInKernel; ++attempt) {
        const QByteArray bytes = QByteArray("gathering ") + QByteArray::number(attempt);
        ASSERT_TRUE(far.write(bytes));
        ASSERT_TRUE(waitFor([&] { return reader.arrivedBytes() == bytes.size(); }));
        seenInKernel = reader.queuedBytes() == 0;
        QByteArray taken;
        for (const ReceivedChunk& chunk : reader.take())
            taken += chunk.bytes;
        EXPECT_EQ(taken, bytes);
        EXPECT_EQ(reader.arrivedBytes(), 0);
    }
    EXPECT_TRUE(seenInKernel);
    reader.stop();
}

TEST_F(SerialPortTest, DeliversStampedChunksWhenAskedOrOnArrivalWhileWanted)
{
    FarEnd far(pty.farPath());
    // The device by its path under /dev, as a real line is named.
    const QString device = QFileInfo(pty.nearPath()).canonicalFilePath();
    ASSERT_TRUE(device.startsWith(QStringLiteral("/dev/")));
    port.setPortResolver([device](int) { return device; });
    ASSERT_TRUE(port.open());
    QList<ReceivedChunk> delivered;
    QObject::connect(&port, &SerialPort::received, [&](const ReceivedChunk& chunk) { delivered << chunk; });
    const qint64 before = wallMsNow();
    ASSERT_TRUE(far.write(QByteArray("ticked\r\n")));
    ASSERT_TRUE(waitFor([&] { return port.undeliveredBytes() == 8; }));
    const qint64 after = wallMsNow();
    runEvents(200);
    EXPECT_TRUE(delivered.isEmpty()) << "delivered before anyone asked";
    port.deliverReceived();
    ASSERT_EQ(delivered.size(), 1);
    EXPECT_EQ(delivered[0].bytes, QByteArray("ticked\r\n"));
    // Stamped where it was read, not where it was delivered (200 ms later).
    EXPECT_GE(delivered[0].wallMs, before);
    EXPECT_LE(delivered[0].wallMs, after);
    EXPECT_EQ(port.undeliveredBytes(), 0);

    int watcher = 0;
    port.deliverOnArrival(&watcher, true);
    delivered.clear();
    ASSERT_TRUE(far.write(QByteArray("early\r\n")));
    ASSERT_TRUE(waitFor([&] { return !delivered.isEmpty(); }));
    EXPECT_EQ(delivered[0].bytes, QByteArray("early\r\n"));

    // Bytes read but not delivered when a write leaves (no event loop ran since they came).
    port.deliverOnArrival(&watcher, false);
    ASSERT_TRUE(far.write(QByteArray("late")));
    ASSERT_TRUE(waitFor([&] { return port.undeliveredBytes() == 4; }));
    ASSERT_TRUE(port.write(QByteArrayView("q")));
    EXPECT_EQ(port.arrivedBeforeLastWrite(), 4);
    port.deliverReceived();
    ASSERT_TRUE(port.write(QByteArrayView("r")));
    EXPECT_EQ(port.arrivedBeforeLastWrite(), 0);

    // Two wishes: chunks are delivered on arrival until the last one is withdrawn; what waited
    // goes as soon as the first wish comes.
    ASSERT_TRUE(far.write(QByteArray("waited")));
    ASSERT_TRUE(waitFor([&] { return port.undeliveredBytes() == 6; }));
    delivered.clear();
    int other = 0;
    port.deliverOnArrival(&watcher, true);
    port.deliverOnArrival(&other, true);
    ASSERT_TRUE(waitFor([&] { return !delivered.isEmpty(); }));
    EXPECT_EQ(delivered[0].bytes, QByteArray("waited"));
    port.deliverOnArrival(&watcher, false);
    EXPECT_TRUE(port.deliversOnArrival());
    port.deliverOnArrival(&other, false);
    EXPECT_FALSE(port.deliversOnArrival());
}

// Delivery asked for at random moments, on arrival or not, by a subscriber that itself runs the
// event loop: every byte is delivered once, in order.
TEST_F(SerialPortTest, EveryByteIsDeliveredOnceInOrderWhateverTheMomentOfDelivery)
{
    FarEnd far(pty.farPath());
    ASSERT_TRUE(port.open());
    QByteArray delivered;
    int nested = 0;
    QObject::connect(&port, &SerialPort::received, [&](const ReceivedChunk& chunk) {
        delivered += chunk.bytes;
        // A subscriber showing a message box runs the event loop inside the delivery.
        if (nested++ % 7 == 0)
            QCoreApplication::processEvents();
    });
    std::mt19937 random(20261207);
    QByteArray sent;
    int watcher = 0;
    for (int round = 0; round < 300; ++round) {
        QByteArray chunk(std::uniform_int_distribution<int>(1, 700)(random), '\0');
        for (char& byte : chunk)
            byte = static_cast<char>(sent.size() % 251), sent += byte;
        ASSERT_TRUE(far.write(chunk));
        switch (std::uniform_int_distribution<int>(0, 3)(random)) {
        case 0:
            port.deliverOnArrival(&watcher, true);
            break;
        case 1:
            port.deliverOnArrival(&watcher, false);
            break;
        case 2:
            QCoreApplication::processEvents();
            break;
        default:
            port.deliverReceived();
            break;
        }
    }
    ASSERT_TRUE(waitFor([&] {
        port.deliverReceived();
        return delivered.size() >= sent.size();
    }));
    EXPECT_EQ(delivered, sent);
}

// A device lost while nobody delivers is noticed by the reader; what it read before goes first.
TEST_F(SerialPortTest, LossIsNoticedWithoutDeliveryAndWhatCameBeforeIsDeliveredFirst)
{
    QStringList events;
    QObject::connect(&port, &SerialPort::received,
                     [&](const ReceivedChunk& chunk) { events << QString::fromLatin1(chunk.bytes); });
    QObject::connect(&port, &SerialPort::lost, [&] { events << QStringLiteral("lost"); });
    {
        FarEnd far(pty.farPath());
        ASSERT_TRUE(port.open());
        ASSERT_TRUE(far.write(QByteArray("xy")));
        ASSERT_TRUE(waitFor([&] { return port.undeliveredBytes() == 2; }));
    }
    pty.stop();
    ASSERT_TRUE(waitFor([&] { return events.contains(QStringLiteral("lost")); }));
    EXPECT_EQ(events, QStringList({QStringLiteral("xy"), QStringLiteral("lost")}));
    EXPECT_FALSE(port.isOpen());
}

// Every chunk is reported once, as it left and as it was delivered: what a traffic log or a
// reply decoder sees is exactly what passed the port.
TEST_F(SerialPortTest, OpensAndReportsEveryChunkSentAndReceivedUntilClosed)
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
    QObject::connect(&port, &SerialPort::received, [&](const ReceivedChunk& chunk) { received += chunk.bytes; });
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
    ASSERT_TRUE(waitFor([&] { return port.undeliveredBytes() >= 4; }));
    port.deliverReceived();
    ASSERT_TRUE(far.write(QByteArray("two")));
    ASSERT_TRUE(waitFor([&] {
        port.deliverReceived();
        return received.size() >= 7;
    }));
    EXPECT_EQ(received, "one,two");

    // What is still undelivered at the close is dropped with the port, as bytes in its buffer are.
    ASSERT_TRUE(far.write(QByteArray("gone")));
    ASSERT_TRUE(waitFor([&] { return port.undeliveredBytes() >= 4; }));
    port.close();
    EXPECT_FALSE(port.isOpen());
    port.deliverReceived();
    EXPECT_EQ(received, "one,two");
    EXPECT_EQ(port.undeliveredBytes(), 0);
    EXPECT_FALSE(port.write(QByteArrayView("x")));
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
