#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QStringView>
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
class SerialPort : public QObject {
    Q_OBJECT
public:
    // Bytes held in our own buffer at most. The port takes bytes off the line as they come and
    // a poll takes all it holds; the bound only bites on a flood far beyond any serial line's
    // speed (10 MB/s at one poll each 100 ms), where the sender waits in the line's (kernel's)
    // buffer, so memory and the work of one poll stay bounded.
    static constexpr qint64 kReadBufferBytes = 1024 * 1024;

    using PortResolver = std::function<QString(int portNumber)>;

    explicit SerialPort(QObject* parent = nullptr);
    ~SerialPort() override;

    // Maps a port number to a device; by default devicePathForPort without a settings store.
    void setPortResolver(PortResolver resolver);

    void setPortNumber(int number);
    int portNumber() const { return portNumber_; }
    // Takes a settings string; a malformed one makes the next open fail.
    void setSettings(const QString& settings);
    QString settings() const { return settingsText_; }

    // Opens the device of the current port number. On failure returns false and leaves the
    // reason in errorString().
    bool open();
    void close();
    bool isOpen() const;
    QString errorString() const { return errorString_; }
    QString devicePath() const;

    qint64 bytesWaiting() const;
    QByteArray readAll();
    // Both return false when the port is closed or the write failed.
    bool write(QByteArrayView bytes);
    bool write(QStringView text);  // one byte per character, as a character frame

signals:
    // The port is open and about to be closed by close(): last bytes may still be written.
    void aboutToClose();
    void lost();

private:
    void onError(QSerialPort::SerialPortError error);
    void closeAfterLoss();

    QSerialPort port_;
    PortResolver resolver_;
    int portNumber_ = 0;
    QString settingsText_;
    bool losing_ = false;
    QString errorString_;
};

}  // namespace tessa
