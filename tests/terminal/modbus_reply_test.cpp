#include "frames/crc16.h"
#include "modbus/modbus_reply_text.h"
#include "modbus/modbus_reply_watch.h"
#include "support/form_controls.h"
#include "support/modbus_slave.h"
#include "support/pty_pair.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QSerialPort>

#include <atomic>
#include <chrono>
#include <thread>
#include <tuple>

using namespace tessa;
using tessa::testing::ModbusSlave;
using tessa::testing::withCrc;
constexpr int kExceptionBase = ModbusSlave::kExceptionBase;

namespace {

// The terminal's side: a port on the near end, the watch fed from it as a window would.
class ModbusReplyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.ready());
        ASSERT_TRUE(slave.ready());
        port.setPortName(pty.nearPath());
        ASSERT_TRUE(port.open(QIODevice::ReadWrite));
        port.setBaudRate(115200);
        QObject::connect(&port, &QSerialPort::readyRead,
                         [this] { watch.bytesReceived(tessa::ReceivedChunk::stampedNow(port.readAll())); });
        QObject::connect(&watch, &ModbusReplyWatch::replyDecoded,
                         [this](const ModbusReply& r) { replies.push_back(r); });
    }

    ModbusReply ask(const char* hexWithoutCrc)
    {
        const QByteArray frame = withCrc(QByteArray::fromHex(hexWithoutCrc));
        const std::size_t before = replies.size();
        port.write(frame);
        watch.requestSent(frame);
        QDeadlineTimer deadline(10000);
        while (replies.size() == before && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        EXPECT_EQ(replies.size(), before + 1);
        return replies.empty() ? ModbusReply {} : replies.back();
    }

    tessa::testing::PtyPair pty;
    ModbusSlave slave {pty.farPath()};
    QSerialPort port;
    ModbusReplyWatch watch;
    std::vector<ModbusReply> replies;
};

}  // namespace

TEST_F(ModbusReplyTest, ReadRepliesGiveEachRegisterInDecimalAndHex)
{
    const ModbusReply holding = ask("010302000003");
    ASSERT_EQ(holding.kind, ModbusReply::Kind::Registers) << modbusReplyText(holding).toStdString();
    EXPECT_EQ(std::tuple(holding.slave, holding.function), std::tuple(1, 0x03));
    EXPECT_EQ(holding.registers, (QList<std::uint16_t> {0x1234, 0xABCD, 0x0042}));
    ASSERT_TRUE(holding.roundTripMs);
    EXPECT_GT(*holding.roundTripMs, 0.0);
    EXPECT_LT(*holding.roundTripMs, watch.replyWindowMs());
    const QString text = modbusReplyText(holding);
    EXPECT_TRUE(text.startsWith(u"Slave 1, function 03: 3 registers\n"
                                u"512 (0x0200) = 4660 (0x1234)\n"
                                u"513 (0x0201) = 43981 (0xABCD)\n"
                                u"514 (0x0202) = 66 (0x0042)\n"
                                u"Round trip "))
        << text.toStdString();

    const ModbusReply input = ask("010401000002");
    ASSERT_EQ(input.kind, ModbusReply::Kind::Registers);
    EXPECT_EQ(std::tuple(input.function, input.registers), std::tuple(0x04, (QList<std::uint16_t> {0xFFFF, 0x0007})));
    EXPECT_TRUE(modbusReplyText(input).contains(u"256 (0x0100) = 65535 (0xFFFF)"));
}

TEST_F(ModbusReplyTest, WriteRepliesEchoTheWrite)
{
    const ModbusReply single = ask("01060205BEEF");
    ASSERT_EQ(single.kind, ModbusReply::Kind::WriteEcho) << modbusReplyText(single).toStdString();
    EXPECT_EQ(std::tuple(single.echoAddress, single.echoValue), std::tuple(0x0205, 0xBEEF));
    EXPECT_TRUE(
        modbusReplyText(single).startsWith(u"Slave 1, function 06: wrote 48879 (0xBEEF) to register 517 (0x0205)\n"))
        << modbusReplyText(single).toStdString();
    EXPECT_EQ(slave.registerValue(0x205), 0xBEEF);

    const ModbusReply multiple = ask("011002100002040001FFFE");
    ASSERT_EQ(multiple.kind, ModbusReply::Kind::WriteEcho);
    EXPECT_EQ(std::tuple(multiple.echoAddress, multiple.echoValue), std::tuple(0x0210, 2));
    EXPECT_TRUE(modbusReplyText(multiple).startsWith(u"Slave 1, function 10: wrote 2 registers from 528 (0x0210)\n"));
    EXPECT_EQ(slave.registerValue(0x211), 0xFFFE);
}

TEST_F(ModbusReplyTest, ExceptionsAreNamed)
{
    // libmodbus's own checks: an address beyond the map, a function it does not serve.
    const ModbusReply beyond = ask("010303FE0005");
    ASSERT_EQ(beyond.kind, ModbusReply::Kind::Exception) << modbusReplyText(beyond).toStdString();
    EXPECT_EQ(beyond.exceptionCode, 0x02);
    EXPECT_TRUE(modbusReplyText(beyond).startsWith(u"Slave 1, function 03: exception 02 illegal data address\n"));
    const ModbusReply unknown = ask("0141");
    ASSERT_EQ(unknown.kind, ModbusReply::Kind::Exception) << modbusReplyText(unknown).toStdString();
    EXPECT_EQ(unknown.function, 0xC1);
    EXPECT_TRUE(modbusReplyText(unknown).startsWith(u"Slave 1, function 41: exception 01 illegal function\n"));

    const std::pair<int, const char*> named[] = {
        {0x01, "illegal function"},
        {0x02, "illegal data address"},
        {0x03, "illegal data value"},
        {0x04, "slave device failure"},
        {0x05, "acknowledge"},
        {0x06, "slave device busy"},
        {0x08, "memory parity error"},
        {0x0A, "gateway path unavailable"},
        {0x0B, "gateway target device failed to respond"},
    };
    for (const auto& [code, name] : named) {
        const QByteArray request =
            "0103" + QByteArray::number(kExceptionBase + code, 16).rightJustified(4, '0') + "0001";
        const ModbusReply reply = ask(request.constData());
        ASSERT_EQ(reply.kind, ModbusReply::Kind::Exception) << code;
        EXPECT_EQ(reply.exceptionCode, code);
        EXPECT_TRUE(modbusReplyText(reply).contains(QString::asprintf("exception %02X %s", code, name)))
            << modbusReplyText(reply).toStdString();
        EXPECT_EQ(modbusExceptionName(static_cast<std::uint8_t>(code)), QString::fromLatin1(name));
    }
}

TEST_F(ModbusReplyTest, CorruptedCrcIsReportedWithTheExpectedCrc)
{
    const ModbusReply good = ask("010302000002");
    ASSERT_EQ(good.kind, ModbusReply::Kind::Registers);
    // libmodbus's reply with one bit of its CRC flipped on the way.
    QByteArray damaged = good.bytes;
    damaged[damaged.size() - 1] = static_cast<char>(damaged.back() ^ 0x10);
    const ModbusReply bad = decodeModbusReply(good.request, damaged);
    ASSERT_EQ(bad.kind, ModbusReply::Kind::CrcBad);
    const std::uint16_t crc = modbusCrc16(QByteArrayView(good.bytes).first(good.bytes.size() - 2));
    EXPECT_EQ(std::tuple(bad.expectedCrc, bad.receivedCrc), std::tuple(crc, crc ^ 0x1000));
    const QString text = modbusReplyText(bad);
    EXPECT_TRUE(text.startsWith(QString::asprintf("CRC bad: received %02X %02X, expected %02X %02X\n", crc & 0xFF,
                                                  (crc >> 8) ^ 0x10, crc & 0xFF, crc >> 8)))
        << text.toStdString();
}

TEST_F(ModbusReplyTest, SilenceAndShortRepliesWithinTheWindow)
{
    watch.setReplyWindowMs(200);
    // libmodbus does not answer requests for another slave.
    const ModbusReply none = ask("090302000001");
    EXPECT_EQ(none.kind, ModbusReply::Kind::NoReply);
    EXPECT_FALSE(none.roundTripMs);
    EXPECT_EQ(modbusReplyText(none), u"No reply in 200 ms");

    // Only the start of a read reply: what came is shown against the length it announced.
    const ModbusRequest read {1, 0x03, 0x200, 2};
    const ModbusReply shortReply = decodeModbusReply(read, QByteArray::fromHex("010304123401"));
    EXPECT_EQ(shortReply.kind, ModbusReply::Kind::Incomplete);
    EXPECT_TRUE(modbusReplyText(shortReply).startsWith(u"Incomplete reply: 6 of 9 bytes\n01 03 04 12 34 01"));
    // A good frame, but from another slave.
    const ModbusReply other = decodeModbusReply(read, withCrc(QByteArray::fromHex("02030412340001")));
    EXPECT_EQ(other.kind, ModbusReply::Kind::Unexpected);
}

// A good frame of the right slave and function that does not answer what was asked is shown as
// not matching, never as a good reply.
// The round trip ends where the reply was read (its chunk's stamp), not where the window's
// thread got round to it.
TEST(ModbusReplyTiming, TheRoundTripEndsAtTheStampOfTheChunkThatCompletesTheReply)
{
    ModbusReplyWatch watch;
    std::vector<ModbusReply> replies;
    QObject::connect(&watch, &ModbusReplyWatch::replyDecoded, [&](const ModbusReply& r) { replies.push_back(r); });
    const qint64 before = tessa::ReceivedChunk::stampedNow({}).steadyUs;
    watch.requestSent(withCrc(QByteArray::fromHex("010300000001")));
    tessa::ReceivedChunk reply = tessa::ReceivedChunk::stampedNow(withCrc(QByteArray::fromHex("0103020007")));
    reply.steadyUs = before + 3000;  // read 3 ms after the request left
    std::this_thread::sleep_for(std::chrono::milliseconds(30));  // and handed on much later
    watch.bytesReceived(reply);
    ASSERT_EQ(replies.size(), 1u);
    ASSERT_TRUE(replies[0].roundTripMs);
    EXPECT_LE(*replies[0].roundTripMs, 3.0);
    EXPECT_GE(*replies[0].roundTripMs, 0.0);
}

TEST(ModbusReplyJudging, RepliesThatDoNotAnswerTheRequestAreMismatches)
{
    const ModbusRequest readTwo {1, 0x03, 0x20, 2};
    const ModbusRequest writeOne {1, 0x06, 0x205, 0xBEEF};
    const ModbusRequest writeTwo {1, 0x10, 0x210, 2};
    const struct {
        ModbusRequest request;
        const char* reply;  // without CRC
        const char* says;
    } cases[] = {
        {readTwo, "0103021234", "2 registers were asked for (byte count 4), the reply has byte count 2"},
        {readTwo, "010306123400010002", "the reply has byte count 6"},
        {readTwo, "010300", "the reply has byte count 0"},
        {readTwo, "010303123400", "byte count 3 is odd"},
        {writeOne, "01060205BEEE", "the echo has value 48878 instead of 48879"},
        {writeOne, "01060206BEEF", "the echo has address 518 instead of 517"},
        {writeTwo, "011002100003", "the echo has count 3 instead of 2"},
    };
    for (const auto& c : cases) {
        const ModbusReply reply = decodeModbusReply(c.request, withCrc(QByteArray::fromHex(c.reply)));
        EXPECT_EQ(reply.kind, ModbusReply::Kind::Mismatch) << c.reply;
        const QString text = modbusReplyText(reply);
        EXPECT_TRUE(text.contains(u"does not match the request") && text.contains(QLatin1String(c.says)))
            << c.reply << ": " << text.toStdString();
        EXPECT_FALSE(text.contains(u"registers from") || text.contains(u" = ")) << text.toStdString();
    }
    EXPECT_EQ(decodeModbusReply(readTwo, withCrc(QByteArray::fromHex("01030412340001"))).kind,
              ModbusReply::Kind::Registers);
    EXPECT_EQ(decodeModbusReply(writeTwo, withCrc(QByteArray::fromHex("011002100002"))).kind,
              ModbusReply::Kind::WriteEcho);
}
