#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QStringView>

#include "line/line_settings.h"
#include "serial/control_lines_port.h"

#include <functional>
#include <optional>

namespace tessa {

// The terminal's one serial port: the few operations the window needs, over QSerialPort.
//
// Writes leave at once (the window's handlers expect their bytes on the line when they return).
// A device that goes away while open (USB adapter pulled, pty's other side closed) closes the
// port and reports lost() once, instead of leaving a dead descriptor that wakes the event
// loop for ever.
//
// Reading: bytes wait in our buffer until someone asks (bytesWaiting, readAll), as the receive
// poll does, and every chunk taken is reported once by received(). While someone needs arrival
// times (wantArrivals: a reply being awaited, a traffic log, timestamps), chunks are taken as
// they arrive (QSerialPort's readyRead) and reported at once. Otherwise they are taken from the
// line when asked, which wakes the program once per poll instead of once per chunk: a steady
// line then costs a fraction of the CPU. A fast line (kFastLineBytes or more taken between two
// readAll) is read on arrival too, so that a sender is not held back by the line's small buffer.
class SerialPort : public QObject, public ControlLinesPort {
    Q_OBJECT
public:
    // Bytes held in our own buffer at most. A poll takes all it holds; the bound only bites on
    // a flood far beyond any serial line's speed (10 MB/s at one poll each 100 ms), where the
    // sender waits in QSerialPort's and then the line's (kernel's) buffer, so memory and the
    // work of one poll stay bounded.
    static constexpr qint64 kReadBufferBytes = 1024 * 1024;
    // Bytes between two readAll from which the line counts as fast (about 40 KB/s at one poll
    // each 100 ms: above 115200 baud, below 921600).
    static constexpr qint64 kFastLineBytes = 4096;

    using PortResolver = std::function<QString(int portNumber)>;

    explicit SerialPort(QObject* parent = nullptr);
    ~SerialPort() override;

    // Maps a port number to a device; by default devicePathForPort without a settings store.
    void setPortResolver(PortResolver resolver);

    void setPortNumber(int number);
    int portNumber() const override { return portNumber_; }
    // Takes a settings string (see parseLineSettings); a malformed one makes the next open fail.
    void setSettings(const QString& settings);
    QString settings() const { return settingsText_; }

    // Framing and flow control laid over the settings string at every open (Port > Line
    // settings); the baud stays the settings string's. Without them the line is the settings
    // string's, without flow control.
    void setLineFraming(const LineSettings& framing);
    // Applies the line framing to the open port now: empty when the line took every choice,
    // else what it refused. Also kept for lineRefusal().
    QString applyLineFramingNow();
    // What the line refused of the line framing at the last open or apply; empty otherwise.
    // A refusal does not fail the open: the line runs with what it took.
    QString lineRefusal() const { return lineRefusal_; }
    // What the open line runs with (see lineSettingsInEffect); nullopt when closed.
    std::optional<LineSettings> lineInEffect() const { return lineSettingsInEffect(port_); }

    // Why the last open failed.
    enum class OpenFailure {
        None,
        BadSettings,  // the settings string is malformed
        Missing,  // no device at the path
        PermissionDenied,  // the device is there but this user may not open it
        Busy,  // the device is there and held by another program
        SettingsRefused,  // opened, but the device refused the settings string's line outright
    };

    // Opens the device of the current port number. On failure returns false and leaves the
    // reason in errorString() and openFailure().
    bool open();
    OpenFailure openFailure() const { return openFailure_; }
    void close();
    bool isOpen() const override;
    QString errorString() const { return errorString_; }
    QString devicePath() const;
    // The open line's descriptor (-1 when closed), to read its settings back.
    qintptr handle() const { return port_.isOpen() ? port_.handle() : -1; }

    // who (any address, as a key) needs chunks reported as they arrive, or no longer does.
    // Chunks are taken on arrival while anyone does; a port opened later follows the same wish.
    void wantArrivals(const void* who, bool wanted);
    // Whether chunks are taken on arrival now: wanted, or the line is fast.
    bool takesOnArrival() const { return !arrivalWanters_.isEmpty() || fastLine_; }

    // The bytes received and not yet read.
    qint64 bytesWaiting();
    QByteArray readAll();
    // Bytes that had arrived but were not yet reported by received() when the last write left:
    // the first this many bytes reported after it came before it (they answer nothing it asked).
    qint64 arrivedBeforeLastWrite() const { return arrivedBeforeLastWrite_; }
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
    // Every chunk as it left (after a successful write) and as it arrived, in order; for a
    // traffic log or a reply decoder. The view is valid during the call only.
    void sent(QByteArrayView bytes);
    void received(QByteArrayView bytes);

private:
    void onError(QSerialPort::SerialPortError error);
    void beginLoss();
    void closeAfterLoss();
    // Moves what QSerialPort has read into buffer_ (up to its bound), when reading on request
    // also what waits in the line, and reports it.
    void intake();
    void onReadyRead();
    // Reads the line's descriptor into buffer_ up to its bound; a hung-up line begins a loss.
    void readLine();
    // Sets QSerialPort to read on every arrival, or to read one byte and then wait for us.
    void applyReadMode();
    // Bytes in the line's (kernel's) buffer not yet read by QSerialPort.
    qint64 bytesInLine() const;

    QSerialPort port_;
    QByteArray buffer_;
    qint64 arrivedBeforeLastWrite_ = 0;
    QList<const void*> arrivalWanters_;
    bool fastLine_ = false;
    qint64 takenSinceReadAll_ = 0;
    PortResolver resolver_;
    int portNumber_ = 0;
    QString settingsText_;
    std::optional<LineSettings> lineFraming_;
    QString lineRefusal_;
    bool losing_ = false;
    QString errorString_;
    OpenFailure openFailure_ = OpenFailure::None;
};

// Why a device at path that failed to open did so: Missing, PermissionDenied or Busy.
SerialPort::OpenFailure classifyOpenFailure(const QString& path);

}  // namespace tessa
