#pragma once

#include "serial/control_lines_port.h"

#include <QObject>
#include <QSerialPort>
#include <QTimer>

namespace tessa {

class SettingsStore;

// RTS and DTR, a timed break and the four input lines (CTS, DSR, DCD, RI) of the open port.
//
// RTS and DTR are kept per port number in the settings store and applied at every open. The
// input lines are polled only while the port is open, every kPollMs; a change is reported at
// once. A line that cannot tell its state (a pty has no modem lines) is reported once per open
// as unavailable and no longer polled, so nothing shows lamps it cannot light.
class ControlLines : public QObject {
    Q_OBJECT
public:
    static constexpr int kPollMs = 50;
    static constexpr int kDefaultBreakMs = 250;
    static constexpr int kMaxBreakMs = 10000;

    enum class State { Closed, Live, Unavailable };

    ControlLines(ControlLinesPort& port, SettingsStore& settings, QObject* parent = nullptr);

    // The port has opened: its stored RTS and DTR are applied and the input lines polled.
    void portOpened();
    // The port has closed or was lost: polling stops.
    void portClosed();

    State state() const { return state_; }
    bool requestToSend() const { return rts_; }
    bool dataTerminalReady() const { return dtr_; }
    // The input lines as last polled (CTS, DSR, DCD, RI bits only).
    QSerialPort::PinoutSignals inputs() const { return inputs_; }

    // Sets the line now (when open) and keeps the choice for this port number. Returns false
    // when the open line refused it.
    bool setRequestToSend(bool on);
    bool setDataTerminalReady(bool on);

    int breakMs() const { return breakMs_; }
    // Clamped to 1..kMaxBreakMs and kept.
    void setBreakMs(int ms);
    // Holds the line in break for breakMs() without blocking; false when closed, refused or a
    // break is already on.
    bool sendBreak();
    bool breaking() const { return breakTimer_.isActive(); }

    // Reads the input lines now (the poll timer calls it).
    void poll();

signals:
    void stateChanged(tessa::ControlLines::State state);
    void inputsChanged(QSerialPort::PinoutSignals inputs);
    void outputsChanged();
    void breakChanged(bool on);

private:
    // Keeps the wish for an output line under its key and sets it on a live line.
    bool setOutput(const QString& key, bool& wish, bool on, bool (ControlLinesPort::*set)(bool));
    void readOutputs();
    void endBreak();
    void setState(State state);

    ControlLinesPort& port_;
    SettingsStore& settings_;
    QTimer pollTimer_;
    QTimer breakTimer_;
    State state_ = State::Closed;
    bool rts_ = true;
    bool dtr_ = true;
    int breakMs_ = kDefaultBreakMs;
    QSerialPort::PinoutSignals inputs_;
};

}  // namespace tessa
