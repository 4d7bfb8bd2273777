#include "serial/serial_port.h"

#include "frames/frame_text.h"
#include "serial/port_number.h"

#include <algorithm>
#include <cerrno>
#include <utility>

#include <poll.h>
#include <unistd.h>

namespace tessa {

std::optional<LineSettings> parseLineSettings(QStringView text)
{
    const QList<QStringView> fields = text.split(u',');
    if (fields.size() != 4)
        return std::nullopt;
    LineSettings s;
    bool ok = false;
    s.baudRate = fields[0].trimmed().toInt(&ok);
    if (!ok || s.baudRate <= 0)
        return std::nullopt;

    const QString parity = fields[1].trimmed().toString().toLower();
    if (parity == u"n")
        s.parity = QSerialPort::NoParity;
    else if (parity == u"o")
        s.parity = QSerialPort::OddParity;
    else if (parity == u"e")
        s.parity = QSerialPort::EvenParity;
    else if (parity == u"m")
        s.parity = QSerialPort::MarkParity;
    else if (parity == u"s")
        s.parity = QSerialPort::SpaceParity;
    else
        return std::nullopt;

    const int dataBits = fields[2].trimmed().toInt(&ok);
    if (!ok || dataBits < 5 || dataBits > 8)
        return std::nullopt;
    s.dataBits = static_cast<QSerialPort::DataBits>(dataBits);

    const QStringView stop = fields[3].trimmed();
    if (stop == u"1")
        s.stopBits = QSerialPort::OneStop;
    else if (stop == u"1.5")
        s.stopBits = QSerialPort::OneAndHalfStop;
    else if (stop == u"2")
        s.stopBits = QSerialPort::TwoStop;
    else
        return std::nullopt;
    return s;
}

SerialPort::SerialPort(QObject* parent)
    : QObject(parent)
    , resolver_([](int number) { return devicePathForPort(number, nullptr); })
{
    connect(&port_, &QSerialPort::errorOccurred, this, &SerialPort::onError);
    connect(&arrivals_, &QSocketNotifier::activated, this, &SerialPort::takeFromLine);
    watch_.setInterval(kWatchMs);
    connect(&watch_, &QTimer::timeout, this, &SerialPort::takeFromLine);
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

void SerialPort::setLineOptions(const LineOptions& options)
{
    lineOptions_ = options;
}

QString SerialPort::applyLineOptionsNow()
{
    lineRefusal_.clear();
    if (port_.isOpen() && lineOptions_)
        lineRefusal_ = applyLineOptions(port_, *lineOptions_);
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
    const std::optional<LineSettings> line = parseLineSettings(settingsText_);
    if (!line) {
        errorString_ = tr("Invalid settings \"%1\"").arg(settingsText_);
        return false;
    }
    port_.setPortName(devicePath());
    port_.setReadBufferSize(kReadBufferBytes);
    if (!port_.open(QIODevice::ReadWrite)) {
        errorString_ = port_.errorString();
        return false;
    }
    // Settings that the device refuses count as a failed open, like a missing device.
    if (!port_.setBaudRate(line->baudRate) || !port_.setParity(line->parity) || !port_.setDataBits(line->dataBits)
        || !port_.setStopBits(line->stopBits) || !port_.setFlowControl(QSerialPort::NoFlowControl)) {
        errorString_ = port_.errorString();
        port_.close();
        return false;
    }
    applyLineOptionsNow();
    losing_ = false;
    // QSerialPort would read on every arrival; the bytes are read here instead (see the class).
    for (QSocketNotifier* notifier : port_.findChildren<QSocketNotifier*>())
        if (notifier->type() == QSocketNotifier::Read)
            notifier->setEnabled(false);
    buffer_.clear();
    takenSinceReadAll_ = 0;
    arrivals_.setSocket(port_.handle());
    setEager(false);
    watch_.start();
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
    stopReading();
    port_.close();
}

void SerialPort::stopReading()
{
    watch_.stop();
    setEager(false);
    arrivals_.setSocket(-1);
    buffer_.clear();
}

bool SerialPort::isOpen() const
{
    return port_.isOpen() && !losing_;
}

qint64 SerialPort::bytesWaiting()
{
    if (!isOpen())
        return 0;
    takeFromLine();
    return buffer_.size();
}

QByteArray SerialPort::readAll()
{
    if (!isOpen())
        return {};
    takeFromLine();
    setEager(takenSinceReadAll_ >= kEagerBytes);
    takenSinceReadAll_ = 0;
    return std::exchange(buffer_, QByteArray());
}

void SerialPort::setEager(bool eager)
{
    arrivals_.setEnabled(eager && arrivals_.socket() >= 0);
}

void SerialPort::takeFromLine()
{
    if (!isOpen())
        return;
    // The watch is only for a port nobody reads: each read puts it off.
    watch_.start();
    const qsizetype before = buffer_.size();
    // Should QSerialPort have read on its own after all, its bytes came first.
    if (port_.bytesAvailable() > 0)
        buffer_.append(port_.read(kReadBufferBytes - buffer_.size()));
    const int fd = static_cast<int>(port_.handle());
    char chunk[kTakeBytes];
    qint64 taken = 0;
    while (buffer_.size() < kReadBufferBytes && taken < kTakeBytes) {
        const auto wanted = static_cast<std::size_t>(std::min(kTakeBytes - taken, kReadBufferBytes - buffer_.size()));
        const ssize_t got = ::read(fd, chunk, wanted);
        if (got > 0) {
            buffer_.append(chunk, got);
            taken += got;
            takenSinceReadAll_ += got;
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && errno == EAGAIN)
            break;
        // A raw line with nothing to read gives 0 too; a line hung up (or a pty whose other
        // side closed) says so in poll.
        pollfd line{fd, POLLIN, 0};
        if (got < 0 || (::poll(&line, 1, 0) == 1 && (line.revents & (POLLHUP | POLLERR | POLLNVAL))))
            beginLoss();
        break;
    }
    if (buffer_.size() > before)
        emit received(QByteArrayView(buffer_).sliced(before));
    // A full buffer waits for readAll; reading on every arrival meanwhile would spin.
    if (buffer_.size() >= kReadBufferBytes)
        arrivals_.setEnabled(false);
}

bool SerialPort::write(QByteArrayView bytes)
{
    if (!isOpen())
        return false;
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
    setEager(false);
    watch_.stop();
    QMetaObject::invokeMethod(this, &SerialPort::closeAfterLoss, Qt::QueuedConnection);
}

void SerialPort::closeAfterLoss()
{
    if (!losing_)
        return;
    stopReading();
    port_.close();
    losing_ = false;
    emit lost();
}

}  // namespace tessa
