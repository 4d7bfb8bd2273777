#pragma once

#include <QSerialPort>

#include <optional>

namespace tessa {

// What the control lines need of a port: the two output lines, the break condition and the
// input lines' state. A test drives the control lines through a stub of it.
class ControlLinesPort {
public:
    virtual ~ControlLinesPort() = default;

    virtual bool isOpen() const = 0;
    virtual int portNumber() const = 0;
    // Each returns false when the line refused (a pty has no modem lines).
    virtual bool setRequestToSend(bool on) = 0;
    virtual bool setDataTerminalReady(bool on) = 0;
    virtual bool setBreakEnabled(bool on) = 0;
    // The lines' state now; nothing when the line cannot tell (a pty).
    virtual std::optional<QSerialPort::PinoutSignals> pinoutSignals() = 0;
};

}  // namespace tessa
