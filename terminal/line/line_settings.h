#pragma once

#include <QSerialPort>
#include <QString>
#include <QStringView>

#include <optional>

namespace tessa {

class SettingsStore;

// The line's baud, framing and flow control. A settings string such as "9600,n,8,1" gives the
// baud and framing, without flow control; Port > Line settings chooses the framing and flow
// control (7 or 8 data bits, parity n/e/o, 1 or 2 stop bits) laid over it at every open. The
// defaults are the terminal's plain 9600,n,8,1 line without flow control.
struct LineSettings {
    // The line settings dialog's items follow the first three.
    enum class Parity { None, Even, Odd, Mark, Space };
    enum class FlowControl { None, RtsCts, XonXoff };
    // 1.5 stop bits, numbered as QSerialPort numbers them.
    static constexpr int kOneAndHalfStopBits = 3;

    qint32 baudRate = 9600;
    Parity parity = Parity::None;
    int dataBits = 8;  // 5..8
    int stopBits = 1;  // 1, 2 or kOneAndHalfStopBits
    FlowControl flowControl = FlowControl::None;

    bool operator==(const LineSettings&) const = default;
};

// Baud text, then parity n/o/e/m/s (either case), data bits 5..8 and stop bits 1, 1.5 or 2,
// comma separated; nullopt for anything else. Flow control is none.
std::optional<LineSettings> parseLineSettings(QStringView text);

// Parity, data bits and stop bits in the settings string's order: "n,8,1", "e,7,2", "m,5,1.5".
QString lineFramingCaption(const LineSettings& line);
// The full settings string, e.g. "9600,e,8,1"; parseLineSettings reads it back.
QString lineSettingsText(const LineSettings& line);

// The framing and flow control chosen under Port > Line settings, under kLine*Key; absent or
// unreadable keys give that field's default. The baud is not stored here.
LineSettings loadLineFraming(const SettingsStore& store);
void saveLineFraming(SettingsStore& store, const LineSettings& line);

// What applyLineSettings could not do.
struct LineRefusal {
    // Empty when the line took every field, else a message naming what it did not take (a
    // pseudo-terminal, for one, has no parity and always 8 data bits).
    QString message;
    // A setting failed outright (QSerialPort's errorString says why), rather than being taken
    // and quietly not kept.
    bool settingFailed = false;
};

// Applies every field to an open port and reads the line's settings back. The choices it did
// take stay applied.
LineRefusal applyLineSettings(QSerialPort& port, const LineSettings& line);

// What the open port runs with: the framing and flow control read back from its descriptor,
// the baud as QSerialPort set it; nullopt when the descriptor cannot be read. What a line
// shows and keeps is this, not a choice it refused.
std::optional<LineSettings> lineSettingsInEffect(const QSerialPort& port);

}  // namespace tessa
