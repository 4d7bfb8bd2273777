#include "serial/control_lines.h"

#include "settings/settings_keys.h"
#include "settings/settings_store.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tessa {

namespace {

constexpr QSerialPort::PinoutSignals kInputLines = QSerialPort::ClearToSendSignal | QSerialPort::DataSetReadySignal
    | QSerialPort::DataCarrierDetectSignal | QSerialPort::RingIndicatorSignal;

}  // namespace

ControlLines::ControlLines(ControlLinesPort& port, SettingsStore& settings, QObject* parent)
    : QObject(parent)
    , port_(port)
    , settings_(settings)
{
    pollTimer_.setInterval(kPollMs);
    connect(&pollTimer_, &QTimer::timeout, this, &ControlLines::poll);
    breakTimer_.setSingleShot(true);
    // A coarse timer may end the break up to 5 % early; a break is at least its length.
    breakTimer_.setTimerType(Qt::PreciseTimer);
    connect(&breakTimer_, &QTimer::timeout, this, &ControlLines::endBreak);
    bool ok = false;
    const int stored = settings_.read(kBreakMsKey, QString()).toInt(&ok);
    breakMs_ = ok ? std::clamp(stored, 1, kMaxBreakMs) : kDefaultBreakMs;
}

void ControlLines::portOpened()
{
    const int number = port_.portNumber();
    rts_ = settings_.read(controlLinesRtsKey(number), u"1"_s) != u"0";
    dtr_ = settings_.read(controlLinesDtrKey(number), u"1"_s) != u"0";
    const bool rtsTaken = port_.setRequestToSend(rts_);
    const bool dtrTaken = port_.setDataTerminalReady(dtr_);
    inputs_ = {};
    const std::optional<QSerialPort::PinoutSignals> lines = port_.pinoutSignals();
    if (!lines || (!rtsTaken && !dtrTaken)) {
        pollTimer_.stop();
        setState(State::Unavailable);
        emit outputsChanged();
        return;
    }
    readOutputs();
    inputs_ = *lines & kInputLines;
    setState(State::Live);
    emit inputsChanged(inputs_);
    pollTimer_.start();
}

void ControlLines::portClosed()
{
    pollTimer_.stop();
    if (breakTimer_.isActive()) {
        breakTimer_.stop();
        emit breakChanged(false);
    }
    inputs_ = {};
    setState(State::Closed);
}

void ControlLines::setState(State state)
{
    if (state_ == state)
        return;
    state_ = state;
    emit stateChanged(state_);
}

void ControlLines::readOutputs()
{
    if (const std::optional<QSerialPort::PinoutSignals> lines = port_.pinoutSignals()) {
        rts_ = lines->testFlag(QSerialPort::RequestToSendSignal);
        dtr_ = lines->testFlag(QSerialPort::DataTerminalReadySignal);
    }
    emit outputsChanged();
}

bool ControlLines::setRequestToSend(bool on)
{
    return setOutput(controlLinesRtsKey(port_.portNumber()), rts_, on, &ControlLinesPort::setRequestToSend);
}

bool ControlLines::setDataTerminalReady(bool on)
{
    return setOutput(controlLinesDtrKey(port_.portNumber()), dtr_, on, &ControlLinesPort::setDataTerminalReady);
}

bool ControlLines::setOutput(const QString& key, bool& wish, bool on, bool (ControlLinesPort::*set)(bool))
{
    settings_.write(key, on ? u"1"_s : u"0"_s);
    wish = on;
    if (state_ != State::Live)
        return state_ == State::Closed;
    const bool taken = (port_.*set)(on);
    readOutputs();
    return taken;
}

void ControlLines::setBreakMs(int ms)
{
    breakMs_ = std::clamp(ms, 1, kMaxBreakMs);
    settings_.write(kBreakMsKey, QString::number(breakMs_));
}

bool ControlLines::sendBreak()
{
    if (!port_.isOpen() || breakTimer_.isActive() || !port_.setBreakEnabled(true))
        return false;
    breakTimer_.start(breakMs_);
    emit breakChanged(true);
    return true;
}

void ControlLines::endBreak()
{
    if (port_.isOpen())
        port_.setBreakEnabled(false);
    emit breakChanged(false);
}

void ControlLines::poll()
{
    if (!port_.isOpen()) {
        portClosed();
        return;
    }
    const std::optional<QSerialPort::PinoutSignals> lines = port_.pinoutSignals();
    if (!lines)
        return;
    const QSerialPort::PinoutSignals inputs = *lines & kInputLines;
    if (inputs == inputs_)
        return;
    inputs_ = inputs;
    emit inputsChanged(inputs_);
}

}  // namespace tessa
