#pragma once

#include <QSerialPort>
#include <QString>

#include <optional>

namespace tessa {

class SettingsStore;

// The framing and flow control chosen under Port > Line settings. The defaults are the
// terminal's plain n,8,1 line without flow control.
struct LineOptions {
    enum class Parity { None, Even, Odd };
    enum class FlowControl { None, RtsCts, XonXoff };

    int dataBits = 8;  // 7 or 8
    Parity parity = Parity::None;
    int stopBits = 1;  // 1 or 2
    FlowControl flowControl = FlowControl::None;

    bool operator==(const LineOptions&) const = default;
};

// Settings keys (group "Record"), each holding the text shown beside it:
inline constexpr const char* kLineDataBitsKey = "LINE DATA BITS";        // "7", "8"
inline constexpr const char* kLineParityKey = "LINE PARITY";             // "n", "e", "o"
inline constexpr const char* kLineStopBitsKey = "LINE STOP BITS";        // "1", "2"
inline constexpr const char* kLineFlowControlKey = "LINE FLOW CONTROL";  // "none", "rts/cts", "xon/xoff"

// Absent or unreadable keys give that field's default.
LineOptions loadLineOptions(const SettingsStore& store);
void saveLineOptions(SettingsStore& store, const LineOptions& options);

// Parity, data bits and stop bits in the settings-string order: "n,8,1", "e,8,1", "o,7,2".
QString lineOptionsCaption(const LineOptions& options);
// A full settings string for the port, e.g. "9600,e,8,1".
QString lineSettingsText(qint32 baudRate, const LineOptions& options);

// Applies every field to an open port and reads the line's settings back: empty when the line
// took every choice, else a message naming what it did not take (a pseudo-terminal, for one,
// has no parity and always 8 data bits). The choices it did take stay applied.
QString applyLineOptions(QSerialPort& port, const LineOptions& options);

// What the open line (its descriptor) runs with, read back from it; nullopt when it cannot be
// read. What a line shows and keeps is this, not a choice it refused.
std::optional<LineOptions> lineOptionsInEffect(qintptr handle);

}  // namespace tessa
