#include "support/pty_pair.h"

#include "raw_pty.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QThread>
#include <QUuid>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace tessa::testing {

PtyPair::PtyPair(Start start)
{
    const QString token = QUuid::createUuid().toString(QUuid::Id128).left(12);
    near_ = dir_.path() + QStringLiteral("/near") + token;
    far_ = dir_.path() + QStringLiteral("/far") + token;
    socat_.setProgram(QStringLiteral("socat"));
    socat_.setArguments(
        {QStringLiteral("pty,raw,echo=0,link=") + near_, QStringLiteral("pty,raw,echo=0,link=") + far_});
    socat_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    if (start == Start::Now)
        plugIn();
}

bool PtyPair::plugIn()
{
    ready_ = false;
    socat_.start();
    if (!socat_.waitForStarted(10000))
        return false;
    QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        if (QFileInfo::exists(near_) && QFileInfo::exists(far_)) {
            ready_ = true;
            return true;
        }
        QThread::msleep(10);
    }
    return false;
}

PtyPair::~PtyPair()
{
    stop();
}

void PtyPair::stop()
{
    if (socat_.state() == QProcess::NotRunning)
        return;
    socat_.terminate();
    if (!socat_.waitForFinished(5000)) {
        socat_.kill();
        socat_.waitForFinished(5000);
    }
}

void PtyPair::kill()
{
    if (socat_.state() == QProcess::NotRunning)
        return;
    socat_.kill();
    socat_.waitForFinished(5000);
}

FarEnd::FarEnd(const QString& path)
{
    fd_ = orvane::testing::openRawLine(QFile::encodeName(path).toStdString(), true);
}

FarEnd::~FarEnd()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool FarEnd::write(const QByteArray& bytes)
{
    qsizetype done = 0;
    QDeadlineTimer deadline(10000);
    while (done < bytes.size() && !deadline.hasExpired()) {
        const ssize_t n = ::write(fd_, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n > 0) {
            done += n;
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            return false;
        } else {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            pollfd p {fd_, POLLOUT, 0};
            ::poll(&p, 1, 5);
        }
    }
    return done == bytes.size();
}

qsizetype FarEnd::writeSome(QByteArrayView bytes)
{
    const ssize_t n = ::write(fd_, bytes.data(), static_cast<size_t>(bytes.size()));
    return n > 0 ? n : 0;
}

QByteArray FarEnd::read(qsizetype count, int timeoutMs)
{
    QByteArray got;
    QDeadlineTimer deadline(timeoutMs);
    char buffer[4096];
    while (got.size() < count && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        pollfd p {fd_, POLLIN, 0};
        if (::poll(&p, 1, 5) <= 0)
            continue;
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n > 0)
            got.append(buffer, n);
    }
    return got;
}

QByteArray FarEnd::readFor(int quietMs)
{
    return read(1 << 30, quietMs);
}

}  // namespace tessa::testing
