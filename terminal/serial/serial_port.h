#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QSerialPort>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>
#include <QStringView>

#include "line/line_options.h"
#include "serial/control_lines_port.h"

#include <functional>
#include <optional>

namespace tessa {

// Line settings as written in a settings string such as "9600,n,8,1".
struct LineSettings {
    qint32 baudRate = 9600;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
};

// Baud text, then parity n/o/e/m/s, data bits 5..8 and stop bits 1, 1.5 or 2, comma separated.
std::optional<LineSettings> parseLineSettings(QStringView text);

// The terminal's one serial port: the few operations the window needs, over QSerialPort.
//
// Writes leave at once (the window's handlers expect their bytes on the line when they return).
// A device that goes away while open (USB adapter pulled, pty's other side closed) closes the
// port and reports lost() once, instead of leaving a dead descriptor that wakes the event
// loop for ever.
//
// Reading: the bytes stay in the line's (kernel's) buffer until someone asks (bytesWaiting,
// readAll), so a slow line costs one read per receive poll instead of an event-loop wake-up per
// arriving chunk. A line that brought kEagerBytes or more since the last readAll is read as
// bytes arrive until it slows down again: a pty holds only some 20 KiB, so a flood or a fast
// USB adapter would otherwise be held to that much per poll. A watch reads too when nobody asked
// for kWatchMs, so a device that goes away is noticed also then.
class SerialPort : public QObject, public ControlLinesPort {
    Q_OBJECT
public:
    // Bytes held in our own buffer at most. A poll takes all it holds; the bound only bites on
    // a flood far beyond any serial line's speed (10 MB/s at one poll each 100 ms), where the
    // sender waits in the line's (kernel's) buffer, so memory and the work of one poll stay
    // bounded.
    static constexpr qint64 kReadBufferBytes = 1024 * 1024;
    // Bytes between two readAll calls from which the port reads as bytes arrive (460800 baud
    // and up at one poll each 100 ms).
    static constexpr qint64 kEagerBytes = 4096;
    static constexpr int kWatchMs = 250;
    // Bytes one read of the line takes at most: a sender that keeps the line full must not keep
    // the event loop reading (the rest follows on the next arrival or poll).
    static constexpr qint64 kTakeBytes = 64 * 1024;

    using PortResolver = std::function<QString(int portNumber)>;

    explicit SerialPort(QObject* parent = nullptr);
    ~SerialPort() override;

    // Maps a port number to a device; by default devicePathForPort without a settings store.
    void setPortResolver(PortResolver resolver);

    void setPortNumber(int number);
    int portNumber() const override { return portNumber_; }
    // Takes a settings string; a malformed one makes the next open fail.
    void setSettings(const QString& settings);
    QString settings() const { return settingsText_; }

    // Framing and flow control laid over the settings string at every open (Port > Line
    // settings). Without them the line is the settings string's, without flow control.
    void setLineOptions(const LineOptions& options);
    // Applies the line options to the open port now: empty when the line took every choice,
    // else what it refused. Also kept for lineRefusal().
    QString applyLineOptionsNow();
    // What the line refused of the line options at the last open or apply; empty otherwise.
    // A refusal does not fail the open: the line runs with what it took.
    QString lineRefusal() const { return lineRefusal_; }

    // Opens the device of the current port number. On failure returns false and leaves the
    // reason in errorString().
    bool open();
    void close();
    bool isOpen() const override;
    QString errorString() const { return errorString_; }
    QString devicePath() const;
    // The open line's descriptor (-1 when closed), to read its settings back.
    qintptr handle() const { return port_.isOpen() ? port_.handle() : -1; }

    // Takes what the line holds (kTakeBytes at most) into our buffer (up to its bound) and returns
    // the bytes there.
    qint64 bytesWaiting();
    QByteArray readAll();
    // Whether the port reads as bytes arrive (a fast line) rather than when asked.
    bool readsEagerly() const { return arrivals_.isEnabled(); }
    // Both return false when the port is closed or the write failed.
    bool write(QByteArrayView bytes);
    bool write(QStringView text);  // one byte per character, as a character frame
    // Bytes written but not yet taken by the line.
    qint64 bytesToWrite() const { return port_.bytesToWrite(); }

    // Control lines (see ControlLines).
    bool setRequestToSend(bool on) override;
    bool setDataTerminalReady(bool on) override;
    bool setBreakEnabled(bool on) override;
    std::optional<QSerialPort::PinoutSignals> pinoutSignals() override;

signals:
    void opened();
    // The port is open and about to be closed by close(): last bytes may still be written.
    void aboutToClose();
    void lost();
    // Every chunk as it left (after a successful write) and as it was taken from the line, in
    // order; for a traffic log or a reply decoder. The view is valid during the call only.
    void sent(QByteArrayView bytes);
    void received(QByteArrayView bytes);

private:
    void onError(QSerialPort::SerialPortError error);
    void beginLoss();
    void closeAfterLoss();
    // Reads what the line holds into buffer_ up to its bound; notices a device gone away.
    void takeFromLine();
    void setEager(bool eager);
    void stopReading();

    QSerialPort port_;
    QByteArray buffer_;
    qint64 takenSinceReadAll_ = 0;
    QSocketNotifier arrivals_{QSocketNotifier::Read};
    QTimer watch_;
    PortResolver resolver_;
    int portNumber_ = 0;
    QString settingsText_;
    std::optional<LineOptions> lineOptions_;
    QString lineRefusal_;
    bool losing_ = false;
    QString errorString_;
};

}  // namespace tessa
