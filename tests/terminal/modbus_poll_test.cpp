#include "poll/modbus_poller.h"
#include "serial/serial_port.h"

#include "support/modbus_slave.h"
#include "support/pty_pair.h"
#include "support/wait_for.h"

#include <gtest/gtest.h>

#include <QBuffer>

#include <iostream>
#include <tuple>

using namespace tessa;
using tessa::testing::ModbusSlave;
using tessa::testing::waitFor;

TEST(RegisterFormat, ValuesInEachFormatAndWordOrder)
{
    using F = RegisterFormat;
    using W = WordOrder;
    const QList<std::uint16_t> regs {0x3F80, 0x0000, 0xFFFF};
    const std::tuple<F, W, QStringList> cases[] = {
        {F::Uint16, W::HighFirst, {"16256", "0", "65535"}},
        {F::Int16, W::HighFirst, {"16256", "0", "-1"}},
        {F::Hex, W::HighFirst, {"0x3F80", "0x0000", "0xFFFF"}},
        {F::Float32, W::HighFirst, {"1", "65535"}},
        {F::Float32, W::LowFirst, {"2.27795078e-41", "65535"}},
        {F::Int32, W::HighFirst, {"1065353216", "65535"}},
        {F::Int32, W::LowFirst, {"16256", "65535"}},
    };
    for (const auto& [format, order, expected] : cases)
        EXPECT_EQ(formatRegisters(regs, format, order), expected)
            << registerFormatName(format).toStdString() << " " << wordOrderName(order).toStdString();
    EXPECT_EQ(formatRegisters({0x0000, 0x3F80}, F::Float32, W::LowFirst), QStringList {"1"});
    EXPECT_EQ(formatRegisters({0xFFFF, 0xFFFE}, F::Int32, W::HighFirst), QStringList {"-2"});
    EXPECT_EQ(formatRegisters({0xFFFE, 0xFFFF}, F::Int32, W::LowFirst), QStringList {"-2"});
    EXPECT_EQ(formatRegisters({0xC2F6, 0xE979}, F::Float32, W::HighFirst), QStringList {"-123.456001"});
}

namespace {

// The poller on a port at the near end of a pty, the libmodbus slave at the far end.
class ModbusPollTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.ready());
        ASSERT_TRUE(slave.ready());
        port.setPortResolver([this](int) { return pty.nearPath(); });
        port.setPortNumber(1);
        port.setSettings(QStringLiteral("115200,n,8,1"));
        ASSERT_TRUE(port.open()) << port.errorString().toStdString();
        port.deliverOnArrival(this, true);
        QObject::connect(&port, &SerialPort::received, &poller,
                         [this](const ReceivedChunk& chunk) { poller.received(chunk); });
        QObject::connect(&poller, &ModbusPoller::requestDone, [this](const PollRecord& r) { records.push_back(r); });
        QObject::connect(&poller, &ModbusPoller::finished, [this](bool) { done = true; });
    }

    void poll(const PollSettings& settings)
    {
        records.clear();
        done = false;
        ASSERT_TRUE(poller.start(settings));
        ASSERT_TRUE(waitFor([this] { return done; }, 120000));
    }

    tessa::testing::PtyPair pty;
    ModbusSlave slave {pty.farPath()};
    SerialPort port;
    ModbusPoller poller {[this](QByteArrayView b) { return port.write(b); }};
    std::vector<PollRecord> records;
    bool done = false;
};

}  // namespace

// 1000 reads at 115200 baud as fast as the slave answers: every verdict good, every value right,
// every request in the CSV log.
TEST_F(ModbusPollTest, ThousandReadsAllGoodWithTheirCsvLog)
{
    QBuffer csv;
    csv.open(QIODevice::WriteOnly);
    poller.setCsvLog(&csv);
    PollSettings settings;
    settings.request = {1, 3, 0x200, 2};
    settings.count = 1000;
    settings.format = RegisterFormat::Hex;
    poll(settings);
    const auto& stats = poller.statistics();
    std::cout << stats.summary().toStdString() << std::endl;
    EXPECT_EQ(stats.total(), 1000);
    EXPECT_EQ(stats.count(ModbusVerdict::Good), 1000);
    ASSERT_TRUE(stats.medianRoundTripMs());
    EXPECT_LE(*stats.minRoundTripMs(), *stats.medianRoundTripMs());
    EXPECT_LE(*stats.medianRoundTripMs(), *stats.maxRoundTripMs());
    int wrongValues = 0;
    for (const auto& r : records)
        wrongValues += r.values != QStringList {"0x1234", "0xABCD"};
    EXPECT_EQ(wrongValues, 0);

    const QList<QByteArray> lines = csv.data().split('\n');
    ASSERT_EQ(lines.size(), 1002);  // header, 1000 lines, the empty piece after the last end
    EXPECT_EQ(lines[0], "time,request,reply,verdict,values");
    for (qsizetype i = 1; i <= 1000; ++i) {
        const QList<QByteArray> fields = lines[i].split(',');
        ASSERT_EQ(fields.size(), 5) << lines[i].constData();
        const QDateTime time = QDateTime::fromString(QString::fromLatin1(fields[0]), Qt::ISODateWithMs);
        ASSERT_TRUE(time.isValid() && fields[0].endsWith('Z') && fields[0].contains('.')) << fields[0].constData();
        ASSERT_EQ(
            fields.mid(1),
            (QList<QByteArray> {"01 03 02 00 00 02 C5 B3", "01 03 04 12 34 AB CD 00 20", "good", "0x1234 0xABCD"}))
            << lines[i].constData();
    }
    poller.setCsvLog(nullptr);
}

// Exception replies, values that differ from those expected, a slave that never answers, a
// write, a paced poll and a poll that runs until stopped.
TEST_F(ModbusPollTest, EachVerdictIsCounted)
{
    auto counts = [this] {
        const auto& s = poller.statistics();
        return std::tuple(s.count(ModbusVerdict::Good), s.count(ModbusVerdict::Mismatch),
                          s.count(ModbusVerdict::Exception), s.count(ModbusVerdict::NoReply));
    };
    PollSettings settings;
    settings.request = {1, 3, ModbusSlave::kExceptionBase + 2, 1};
    settings.count = 20;
    poll(settings);
    EXPECT_EQ(counts(), std::tuple(0, 0, 20, 0));
    EXPECT_EQ(records.back().reply.exceptionCode, 2);

    settings.request = {1, 3, 0x200, 2};
    settings.expectedValues = QList<std::uint16_t> {0x1234, 0x0000};
    poll(settings);
    EXPECT_EQ(counts(), std::tuple(0, 20, 0, 0));
    settings.expectedValues = QList<std::uint16_t> {0x1234, 0xABCD};
    poll(settings);
    EXPECT_EQ(counts(), std::tuple(20, 0, 0, 0));
    settings.expectedValues.reset();

    settings = {};
    settings.request = {1, 6, 0x201, 0x0055};
    settings.count = 5;
    settings.intervalMs = 20;
    poll(settings);
    EXPECT_EQ(counts(), std::tuple(5, 0, 0, 0));
    EXPECT_EQ(slave.registerValue(0x201), 0x0055);

    settings = {};
    settings.request = {1, 4, 0x100, 2};
    QObject::connect(&poller, &ModbusPoller::requestDone, &poller, [this](const PollRecord& r) {
        if (r.index == 10)
            poller.stop();
    });
    poll(settings);
    EXPECT_EQ(counts(), std::tuple(10, 0, 0, 0));
    EXPECT_EQ(records.back().values, (QStringList {"65535", "7"}));

    // Last: after a request to another slave, libmodbus takes the next frame on the line for
    // that slave's reply and passes it over, as a slave on a shared bus must.
    settings = {};
    settings.request = {9, 3, 0x200, 1};
    settings.count = 3;
    settings.replyTimeoutMs = 100;
    poll(settings);
    EXPECT_EQ(counts(), std::tuple(0, 0, 0, 3));
    EXPECT_FALSE(poller.statistics().medianRoundTripMs());

    settings.request = {1, 3, 0, 0};
    EXPECT_FALSE(poller.start(settings));
    settings.request = {1, 16, 0, 1};
    EXPECT_FALSE(poller.start(settings));
}
