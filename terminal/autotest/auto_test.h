#pragma once

#include "serial/port_number.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <array>
#include <cstdint>

namespace tessa {

// Rows of the device-type list that change what the probe sends and what counts as an answer.
inline constexpr int kDeviceRowHmi = 4;
inline constexpr int kDeviceRowK5Ring = 5;
inline constexpr int kAutoTestLastPort = 20;

// Whether the text judged counts as an answer for the device type in row: the reply as the
// hexadecimal view shows it ("01 03 ..."), or for "Dorva HMI" as characters (one per byte).
bool countsAsAnswer(int deviceRow, const QString& judgedText);
// What countsAsAnswer judges of the reply bytes for the device type in row.
QString judgedText(int deviceRow, QByteArrayView reply);

using PortTable = std::array<std::int16_t, kPortTableSize>;

// "Finished Autotest!!!", LF CR, the device type, LF CR, then "Maybe COM<i>" LF CR for every
// port that answered, or "Could not found!!!" when none did.
QString autoTestSummary(const QString& deviceTypeText, const PortTable& answered);

// What a probe step does to the window: the connect and disconnect of the buttons, the sends,
// the receive views.
class AutoTestWindow {
public:
    virtual ~AutoTestWindow() = default;
    virtual bool connected() const = 0;  // Command2 visible
    virtual void disconnect() = 0;  // as Command2 does
    virtual void connectTo(int portNumber) = 0;  // Text1 = number, then as Command1 does
    virtual int portInText1() const = 0;
    virtual bool connectSucceeded() const = 0;
    virtual int deviceRow() const = 0;
    virtual QString deviceTypeText() const = 0;
    virtual void writeString(const QString& text) = 0;
    virtual void sendChecksumFrame() = 0;  // as Command3 does
    virtual void clearHexView() = 0;
    virtual void clearReceiveDisplay() = 0;  // both views and both logs, as Command14 does
    virtual std::int16_t availability(int portNumber) const = 0;
};

// The scan over COM1..COM20, one step per tick: disconnect, connect, send, judge. The reply
// judged is every byte received between the send and the judgement (received()), the bytes
// the receive poll takes into the views.
class AutoTest {
public:
    enum State : std::int16_t { Disconnect = 0, Connect = 10, Send = 20, Judge = 30 };

    explicit AutoTest(AutoTestWindow& window)
        : window_(window)
    {
    }

    // Starts (or restarts) at port 1 with a cleared answer table.
    void start();
    // One step; returns true when the scan ended with this tick (summary() is then final).
    bool tick();
    // Every chunk the port received; kept while a probe's reply is awaited.
    void received(QByteArrayView bytes)
    {
        if (running_ && probeSent_ && state_ == Judge)
            reply_.append(bytes);
    }
    // Ends a running scan where it stands.
    void stop()
    {
        running_ = false;
        state_ = Disconnect;
    }

    bool running() const { return running_; }
    std::int16_t scanPort() const { return scanPort_; }
    State state() const { return state_; }
    const PortTable& answered() const { return answered_; }
    QString summary() const { return autoTestSummary(window_.deviceTypeText(), answered_); }

private:
    AutoTestWindow& window_;
    PortTable answered_ {};
    std::int16_t scanPort_ = 1;
    State state_ = Disconnect;
    bool probeSent_ = false;  // this probe's connect succeeded and its request went out
    QByteArray reply_;  // received since the probe went out
    bool running_ = false;
};

}  // namespace tessa
