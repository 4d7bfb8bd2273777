#include "serial/serial_port.h"

#include "frames/frame_text.h"
#include "serial/port_number.h"

#include <algorithm>
#include <utility>

#include <QFile>

#include <cerrno>

#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
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
    , resolver_([](int number) { return devicePathForPort(number, nullptr); })
{
    connect(&port_, &QSerialPort::errorOccurred, this, &SerialPort::onError);
    connect(&port_, &QSerialPort::readyRead, this, &SerialPort::onReadyRead);
}

SerialPort::~SerialPort() = default;

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
    port_.setPortName(devicePath());
    if (!port_.open(QIODevice::ReadWrite)) {
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
    losing_ = false;
    buffer_.clear();
    arrivedBeforeLastWrite_ = 0;
    fastLine_ = false;
    takenSinceReadAll_ = 0;
    applyReadMode();
    emit opened();
    return true;
}

void SerialPort::close()
{
    if (!port_.isOpen())
        return;
    if (!losing_)
        emit aboutToClose();
    port_.flush();
    buffer_.clear();
    port_.close();
}

bool SerialPort::isOpen() const
{
    return port_.isOpen() && !losing_;
}

qint64 SerialPort::bytesWaiting()
{
    if (!isOpen())
        return 0;
    intake();
    return buffer_.size() + port_.bytesAvailable();
}

QByteArray SerialPort::readAll()
{
    if (!isOpen())
        return {};
    intake();
    QByteArray taken = std::exchange(buffer_, QByteArray());
    // Room again: what QSerialPort held back meanwhile follows.
    intake();
    fastLine_ = takenSinceReadAll_ >= kFastLineBytes;
    takenSinceReadAll_ = 0;
    applyReadMode();
    return taken;
}

qint64 SerialPort::bytesInLine() const
{
    int count = 0;
    if (::ioctl(static_cast<int>(port_.handle()), FIONREAD, &count) != 0)
        return 0;
    return count;
}

void SerialPort::wantArrivals(const void* who, bool wanted)
{
    if (wanted && !arrivalWanters_.contains(who))
        arrivalWanters_.append(who);
    else if (!wanted)
        arrivalWanters_.removeAll(who);
    applyReadMode();
}

void SerialPort::applyReadMode()
{
    if (!port_.isOpen())
        return;
    // QSerialPort reads on every arrival until its buffer holds its limit, then waits until
    // more than the buffer holds is asked of it. With a limit of one byte it thus reads the
    // first byte and stops; intake takes that byte and then reads the line itself, so a steady
    // line wakes nobody between polls. Setting the limit lets QSerialPort read again.
    const qint64 limit = takesOnArrival() ? kReadBufferBytes : 1;
    if (port_.readBufferSize() != limit)
        port_.setReadBufferSize(limit);
}

void SerialPort::onReadyRead()
{
    if (takesOnArrival())
        intake();
}

void SerialPort::intake()
{
    if (!isOpen())
        return;
    const qsizetype before = buffer_.size();
    // What QSerialPort has read came first; the line's own buffer follows only once it is empty.
    const qint64 held = std::min<qint64>(port_.bytesAvailable(), kReadBufferBytes - buffer_.size());
    if (held > 0)
        buffer_.append(port_.read(held));
    if (!takesOnArrival() && port_.bytesAvailable() == 0)
        readLine();
    if (buffer_.size() == before)
        return;
    takenSinceReadAll_ += buffer_.size() - before;
    emit received(QByteArrayView(buffer_).sliced(before));
}

void SerialPort::readLine()
{
    const int fd = static_cast<int>(port_.handle());
    char chunk[16384];
    while (buffer_.size() < kReadBufferBytes) {
        const auto wanted = static_cast<std::size_t>(std::min<qint64>(sizeof chunk, kReadBufferBytes - buffer_.size()));
        const ssize_t got = ::read(fd, chunk, wanted);
        if (got > 0) {
            buffer_.append(chunk, got);
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        // A raw line with nothing to read gives 0 too; a line hung up (a pty whose other side
        // closed, an adapter pulled) says so in poll.
        pollfd line {fd, POLLIN, 0};
        if (got < 0 || (::poll(&line, 1, 0) == 1 && (line.revents & (POLLHUP | POLLERR | POLLNVAL))))
            beginLoss();
        return;
    }
}

bool SerialPort::write(QByteArrayView bytes)
{
    if (!isOpen())
        return false;
    // Measured before the bytes leave, so that no answer to them can be among these.
    arrivedBeforeLastWrite_ = port_.bytesAvailable() + bytesInLine();
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
    buffer_.clear();
    port_.close();
    losing_ = false;
    emit lost();
}

}  // namespace tessa
