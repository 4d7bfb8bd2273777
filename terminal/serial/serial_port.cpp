#include "serial/serial_port.h"

#include "frames/frame_text.h"
#include "serial/port_number.h"

#include <utility>

#include <QFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace tessa {

SerialPort::OpenFailure classifyOpenFailure(const QString& path)
{
    // QSerialPort reports a lock held by another program, an exclusive line (EBUSY) and a
    // refused permission (EACCES) alike; the path itself tells them apart.
    const QByteArray encoded = QFile::encodeName(path);
    struct stat node { };
    if (path.isEmpty() || ::stat(encoded.constData(), &node) != 0)
        return SerialPort::OpenFailure::Missing;
    if (::access(encoded.constData(), R_OK | W_OK) != 0 && errno == EACCES)
        return SerialPort::OpenFailure::PermissionDenied;
    return SerialPort::OpenFailure::Busy;
}

SerialPort::SerialPort(QObject* parent)
    : QObject(parent)
    , reader_([this] { QMetaObject::invokeMethod(this, &SerialPort::onReaderWake, Qt::QueuedConnection); })
    , resolver_([](int number) { return devicePathForPort(number, nullptr); })
{
    connect(&port_, &QSerialPort::errorOccurred, this, &SerialPort::onError);
}

SerialPort::~SerialPort()
{
    // The reader's wake refers to this; it ends before anything else goes.
    reader_.stop();
}

void SerialPort::setPortResolver(PortResolver resolver)
{
    resolver_ = std::move(resolver);
}

void SerialPort::setPortNumber(int number)
{
    portNumber_ = number;
}

void SerialPort::setSettings(const QString& settings)
{
    settingsText_ = settings;
}

void SerialPort::setLineFraming(const LineSettings& framing)
{
    lineFraming_ = framing;
}

QString SerialPort::applyLineFramingNow()
{
    lineRefusal_.clear();
    if (port_.isOpen() && lineFraming_) {
        LineSettings wanted = *lineFraming_;
        wanted.baudRate = port_.baudRate();
        lineRefusal_ = applyLineSettings(port_, wanted).message;
    }
    return lineRefusal_;
}

QString SerialPort::devicePath() const
{
    return resolver_(portNumber_);
}

bool SerialPort::open()
{
    if (port_.isOpen())
        close();
    errorString_.clear();
    openFailure_ = OpenFailure::None;
    const std::optional<LineSettings> line = parseLineSettings(settingsText_);
    if (!line) {
        errorString_ = tr("Invalid settings \"%1\"").arg(settingsText_);
        openFailure_ = OpenFailure::BadSettings;
        return false;
    }
    const QString path = devicePath();
    port_.setPortName(path);
    // QSerialPort only writes: the reader thread reads a descriptor of its own, so that nothing
    // on the window's thread wakes per chunk.
    if (!port_.open(QIODevice::WriteOnly)) {
        errorString_ = port_.errorString();
        openFailure_ = classifyOpenFailure(devicePath());
        return false;
    }
    // Settings that the device refuses outright count as a failed open, like a missing device.
    if (applyLineSettings(port_, *line).settingFailed) {
        errorString_ = port_.errorString();
        openFailure_ = OpenFailure::SettingsRefused;
        port_.close();
        return false;
    }
    applyLineFramingNow();
    // A character is ten bits on an 8N1 line.
    reader_.setLineRate(line->baudRate / 10);
    if (!startReader(path)) {
        openFailure_ = classifyOpenFailure(devicePath());
        port_.close();
        return false;
    }
    losing_ = false;
    arrivedBeforeLastWrite_ = 0;
    emit opened();
    return true;
}

bool SerialPort::startReader(const QString& path)
{
    // QSerialPort's open made the line exclusive (TIOCEXCL); our own second open is let
    // through, then the line is exclusive again.
    const int writing = static_cast<int>(port_.handle());
    ::ioctl(writing, TIOCNXCL);
    const int reading = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    const int openError = errno;
    ::ioctl(writing, TIOCEXCL);
    if (reading < 0) {
        errorString_ = QString::fromLocal8Bit(std::strerror(openError));
        return false;
    }
    // A write-only open leaves the receiver as it was; the terminal reads.
    termios line {};
    if (::tcgetattr(reading, &line) == 0 && !(line.c_cflag & CREAD)) {
        line.c_cflag |= CREAD;
        ::tcsetattr(reading, TCSANOW, &line);
    }
    reader_.setPromptly(deliversOnArrival());
    if (!reader_.start(reading)) {
        errorString_ = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    return true;
}

void SerialPort::close()
{
    if (!port_.isOpen())
        return;
    if (!losing_)
        emit aboutToClose();
    port_.flush();
    reader_.stop();
    port_.close();
}

bool SerialPort::isOpen() const
{
    return port_.isOpen() && !losing_;
}

void SerialPort::deliverReceived()
{
    if (!isOpen())
        return;
    // A subscriber that runs the event loop (a message box) must not deliver newer chunks
    // before the older ones still in hand; they go once these are through.
    if (delivering_) {
        deliverAgain_ = true;
        return;
    }
    delivering_ = true;
    for (const ReceivedChunk& chunk : reader_.take()) {
        if (!isOpen())
            break;
        emit received(chunk);
    }
    delivering_ = false;
    if (std::exchange(deliverAgain_, false))
        QMetaObject::invokeMethod(this, &SerialPort::deliverReceived, Qt::QueuedConnection);
}

void SerialPort::deliverOnArrival(const void* who, bool wanted)
{
    if (wanted && !onArrivalWanters_.contains(who))
        onArrivalWanters_.append(who);
    else if (!wanted)
        onArrivalWanters_.removeAll(who);
    reader_.setPromptly(deliversOnArrival());
    // What waits already goes soon, not at the next tick.
    if (deliversOnArrival())
        QMetaObject::invokeMethod(this, &SerialPort::onReaderWake, Qt::QueuedConnection);
}

void SerialPort::onReaderWake()
{
    if (!port_.isOpen() || losing_)
        return;
    // What was read before the line went is delivered first.
    if (reader_.lost() || deliversOnArrival())
        deliverReceived();
    if (reader_.lost())
        beginLoss();
}

bool SerialPort::write(QByteArrayView bytes)
{
    if (!isOpen())
        return false;
    // Measured before the bytes leave, so that no answer to them can be among these.
    arrivedBeforeLastWrite_ = reader_.arrivedBytes();
    if (port_.write(bytes.data(), bytes.size()) != bytes.size())
        return false;
    port_.flush();
    emit sent(bytes);
    return true;
}

bool SerialPort::write(QStringView text)
{
    return write(characterFrame(text));
}

bool SerialPort::setRequestToSend(bool on)
{
    return isOpen() && port_.setRequestToSend(on);
}

bool SerialPort::setDataTerminalReady(bool on)
{
    return isOpen() && port_.setDataTerminalReady(on);
}

bool SerialPort::setBreakEnabled(bool on)
{
    return isOpen() && port_.setBreakEnabled(on);
}

std::optional<QSerialPort::PinoutSignals> SerialPort::pinoutSignals()
{
    if (!isOpen())
        return std::nullopt;
    // A line without modem lines (a pty: ENOTTY) reports no signals and an error; the error
    // is only that, the port stays usable.
    port_.clearError();
    const QSerialPort::PinoutSignals lines = port_.pinoutSignals();
    if (port_.error() != QSerialPort::NoError) {
        port_.clearError();
        return std::nullopt;
    }
    return lines;
}

void SerialPort::onError(QSerialPort::SerialPortError error)
{
    if (!port_.isOpen() || losing_)
        return;
    if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError)
        return;
    beginLoss();
}

void SerialPort::beginLoss()
{
    if (losing_)
        return;
    // Closing inside a notification would delete the notifier that is running; the close
    // waits for the event loop, and isOpen() reports closed meanwhile.
    losing_ = true;
    QMetaObject::invokeMethod(this, &SerialPort::closeAfterLoss, Qt::QueuedConnection);
}

void SerialPort::closeAfterLoss()
{
    if (!losing_)
        return;
    reader_.stop();
    port_.close();
    losing_ = false;
    emit lost();
}

}  // namespace tessa
