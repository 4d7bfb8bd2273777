#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <cstdint>
#include <optional>

namespace tessa {

// A Modbus RTU request as sent: the fields a reply is checked against.
struct ModbusRequest {
    std::uint8_t slave = 0;
    std::uint8_t function = 0;
    std::uint16_t address = 0;  // first register (03/04/06/10)
    std::uint16_t value = 0;  // register count (03/04/10) or the written value (06)
};

// The fields of a sent frame; nullopt when it is too short to be a Modbus request.
std::optional<ModbusRequest> parseModbusRequest(QByteArrayView frame);

// What one reply said, decoded against the request that asked for it.
struct ModbusReply {
    enum class Kind {
        NoReply,  // nothing arrived within the reply window
        Incomplete,  // fewer bytes than the reply's own length says
        CrcBad,  // the right length, but the CRC does not match
        Unexpected,  // a good frame from another slave or for another function
        Mismatch,  // a good frame of the right slave and function that does not answer the
                   // request: another register count, an odd byte count, another write echo
        Registers,  // read holding/input registers (03/04)
        WriteEcho,  // write single/multiple registers (06/10)
        Exception,  // function | 0x80 with an exception code
        Other,  // a good frame of a function not decoded further
    };
    Kind kind = Kind::NoReply;
    ModbusRequest request;
    QByteArray bytes;  // the reply as received
    std::uint8_t slave = 0;
    std::uint8_t function = 0;  // as in the reply (exception bit included)
    QList<std::uint16_t> registers;  // Registers: values from request.address on
    std::uint16_t echoAddress = 0;  // WriteEcho
    std::uint16_t echoValue = 0;  // WriteEcho: value (06) or count (10)
    std::uint8_t exceptionCode = 0;  // Exception
    QString mismatch;  // Mismatch: what differs from the request
    qsizetype expectedLength = 0;  // Incomplete: bytes the reply should have had
    std::uint16_t receivedCrc = 0;  // CrcBad: as on the wire, low byte first
    std::uint16_t expectedCrc = 0;
    int replyWindowMs = 0;  // NoReply
    std::optional<double> roundTripMs;  // request sent to the read of the reply's last bytes
};

// The standard name of a Modbus exception code ("illegal data address"); empty if unknown.
QString modbusExceptionName(std::uint8_t code);

// Bytes a reply to request will have, judged from the bytes received so far (the function
// byte tells an exception, a read's byte count its length); nullopt while it cannot be known
// yet or for functions this decoder does not know.
std::optional<qsizetype> expectedModbusReplyLength(const ModbusRequest& request, QByteArrayView received);

// Decodes the bytes received for request (empty: no reply). Bytes beyond the reply's length
// are not part of it and are ignored.
ModbusReply decodeModbusReply(const ModbusRequest& request, QByteArrayView received);

}  // namespace tessa
