#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QStringView>

#include "chunk/received_chunk.h"
#include "line/line_settings.h"
#include "serial/control_lines_port.h"
#include "serial/line_reader.h"

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
// Reading has one road: a reader thread (LineReader) takes the bytes as they arrive, stamps each
// chunk once and queues it; deliverReceived() hands every queued chunk, in order, to whoever
// subscribes to received(). The window delivers on its receive tick; while someone needs the
// chunks as they come (a reply awaited, answer rules, a script), deliverOnArrival has them
// delivered at once. Either way it is the same queue and the same chunks.
class SerialPort : public QObject, public ControlLinesPort {
    Q_OBJECT
public:
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
    // The open line's descriptor for writing (-1 when closed), to read its settings back.
    qintptr handle() const { return port_.isOpen() ? port_.handle() : -1; }

    // Hands every chunk read and not yet delivered to received(), oldest first. Nothing when
    // the port is closed.
    void deliverReceived();
    // who (any address, as a key) needs chunks delivered as they arrive, or no longer does. Only
    // when they are delivered changes, not which or how; a port opened later follows the wish.
    void deliverOnArrival(const void* who, bool wanted);
    bool deliversOnArrival() const { return !onArrivalWanters_.isEmpty(); }
    // Bytes read and not yet delivered (at most LineReader::kMostQueuedBytes and one read).
    qint64 undeliveredBytes() const { return reader_.queuedBytes(); }
    // Bytes arrived but not yet delivered when the last write left (read by the reader, or
    // still in the line for it): the first this many bytes delivered after it came before it
    // (they answer nothing it asked).
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
    // Every chunk as it left (after a successful write), the view valid during the call only;
    // every chunk received, in order, as deliverReceived hands it on.
    void sent(QByteArrayView bytes);
    void received(const tessa::ReceivedChunk& chunk);

private:
    void onError(QSerialPort::SerialPortError error);
    // The reader queued a chunk for prompt delivery, or lost the line (on the window's thread).
    void onReaderWake();
    // Opens the line at path once more for the reader; false (errorString_ set) when it cannot.
    bool startReader(const QString& path);
    void beginLoss();
    void closeAfterLoss();

    QSerialPort port_;  // writes, line settings, control lines
    LineReader reader_;
    qint64 arrivedBeforeLastWrite_ = 0;
    QList<const void*> onArrivalWanters_;
    bool delivering_ = false;
    bool deliverAgain_ = false;
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
