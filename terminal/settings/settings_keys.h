#pragma once

#include <QLatin1StringView>
#include <QString>

namespace tessa {

// Every key the terminal stores, in SettingsStore's group "Record" but for portPathKey (group
// "Ports"). Users' stored files hold these texts: a key's text never changes. Each comment
// gives the form of the stored text.

// A device path the user mapped to a port number (Port > Port map), group "Ports".
inline QString portPathKey(int number)  // "COM<number>"
{
    return QStringLiteral("COM%1").arg(number);
}

// Start-up and the connection bar.
inline constexpr QLatin1StringView kWidthTypeKey {"Width_type"};  // "0" narrow, "1" wide
inline constexpr QLatin1StringView kComPortKey {"COM PORT"};  // the port number box's text
inline constexpr QLatin1StringView kBaudRateKey {"BAUD RATE"};  // index into baudRateTexts()

// Device panel boxes, restored at start-up (each defaults to "1"): the box's text.
inline QString commandRowKey(int row)  // "REL1".."REL8"; "REL1" not "1" asks for the restore
{
    return QStringLiteral("REL%1").arg(row);
}
inline QString commandRowIdKey(int row)  // "RELID1".."RELID8"
{
    return QStringLiteral("RELID%1").arg(row);
}
inline constexpr QLatin1StringView kEncoderValueKey {"Renc"};
inline constexpr QLatin1StringView kSabsValueKey {"sabs"};
inline QString modbusBoxKey(int panel, int box)  // "Modbus1_1".."Modbus4_9"
{
    return QStringLiteral("Modbus%1_%2").arg(panel).arg(box);
}
inline constexpr QLatin1StringView kModbusFixedIdKey {"Modbus5"};

// Port > Line settings: "7"/"8", "n"/"e"/"o", "1"/"2", "none"/"rts/cts"/"xon/xoff".
inline constexpr QLatin1StringView kLineDataBitsKey {"LINE DATA BITS"};
inline constexpr QLatin1StringView kLineParityKey {"LINE PARITY"};
inline constexpr QLatin1StringView kLineStopBitsKey {"LINE STOP BITS"};
inline constexpr QLatin1StringView kLineFlowControlKey {"LINE FLOW CONTROL"};

// Control lines: the break's length in ms; RTS and DTR of each port, "1" or "0" (on when
// absent, as a port opens).
inline constexpr QLatin1StringView kBreakMsKey {"CONTROL LINES BREAK MS"};
inline QString controlLinesRtsKey(int portNumber)  // "CONTROL LINES RTS COM<n>"
{
    return QStringLiteral("CONTROL LINES RTS COM%1").arg(portNumber);
}
inline QString controlLinesDtrKey(int portNumber)  // "CONTROL LINES DTR COM<n>"
{
    return QStringLiteral("CONTROL LINES DTR COM%1").arg(portNumber);
}

// The window's additions.
inline constexpr QLatin1StringView kReconnectKey {"RECONNECT WHEN PORT RETURNS"};  // "1" or "0"
inline constexpr QLatin1StringView kReplyWindowMsKey {"MODBUS REPLY WINDOW MS"};  // a number of ms
inline constexpr QLatin1StringView kTimestampsKey {"RECEIVE TIMESTAMPS"};  // "1" or "0"
inline constexpr QLatin1StringView kByteCountersShownKey {"BYTE COUNTERS SHOWN"};  // "1" or "0"
inline constexpr QLatin1StringView kSendFilePathKey {"SEND FILE PATH"};  // a file path
inline constexpr QLatin1StringView kSendFileChunkKey {"SEND FILE CHUNK BYTES"};  // a number
inline constexpr QLatin1StringView kSendFileDelayKey {"SEND FILE DELAY MS"};  // a number

// Find in the receive view: the text searched for as text and as hex bytes, and "1" or "0".
inline constexpr QLatin1StringView kFindTextKey {"FIND TEXT"};
inline constexpr QLatin1StringView kFindBytesKey {"FIND HEX BYTES"};
inline constexpr QLatin1StringView kFindMatchCaseKey {"FIND MATCH CASE"};

// Help > Language: "zh" or "en", applied at the next start.
inline constexpr QLatin1StringView kLanguageKey {"LANGUAGE"};

}  // namespace tessa
