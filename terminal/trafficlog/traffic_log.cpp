#include "trafficlog/traffic_log.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessa {
namespace {

// A queue this large is written at the writer's next look, so a fast line cannot grow it
// without bound.
constexpr qsizetype kEarlyWriteBytes = 256 * 1024;

}  // namespace

TrafficLog::TrafficLog(QObject* parent)
    : QObject(parent)
{
    failureCheck_.setInterval(kFlushIntervalMs);
    connect(&failureCheck_, &QTimer::timeout, this, &TrafficLog::reportFailure);
    int ends[2] = {-1, -1};
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) == 0) {
        wakeRead_ = ends[0];
        wakeWrite_ = ends[1];
    }
}

TrafficLog::~TrafficLog()
{
    // Nothing is reported from here: the receivers may be going away too.
    stopWriter();
    if (wakeRead_ >= 0)
        ::close(wakeRead_);
    if (wakeWrite_ >= 0)
        ::close(wakeWrite_);
}

QString TrafficLog::errorString() const
{
    std::lock_guard lock(mutex_);
    return error_;
}

bool TrafficLog::start(const QString& path)
{
    stop();
    {
        std::lock_guard lock(mutex_);
        error_.clear();
        if (wakeRead_ < 0) {
            error_ = tr("Cannot start the traffic log: the system gave it no pipe to wake its writer");
            return false;
        }
        queue_.clear();
        queuedBytes_ = 0;
        stopping_ = false;
    }
    path_ = path;
    fileSize_.store(0, std::memory_order_relaxed);
    fd_ = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        std::lock_guard lock(mutex_);
        error_ = tr("Cannot open the traffic log %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    QString reason;
    if (!writeOut(trafficHeaderLine(), reason)) {
        std::lock_guard lock(mutex_);
        error_ = reason;
        closeFile();
        return false;
    }
    running_.store(true, std::memory_order_release);
    failurePending_.store(false, std::memory_order_relaxed);
    writer_ = std::thread([this] { run(); });
    failureCheck_.start();
    return true;
}

void TrafficLog::stop()
{
    stopWriter();
    failureCheck_.stop();
    reportFailure();
}

void TrafficLog::stopWriter()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wakeWriter();
    if (writer_.joinable())
        writer_.join();
    running_.store(false, std::memory_order_release);
    closeFile();
}

void TrafficLog::reportFailure()
{
    if (!failurePending_.exchange(false))
        return;
    failureCheck_.stop();
    emit failed(errorString());
}

void TrafficLog::record(TrafficDirection direction, QByteArrayView bytes, TrafficTime time)
{
    if (!running_.load(std::memory_order_acquire) || bytes.isEmpty())
        return;
    std::lock_guard lock(mutex_);
    if (stopping_)
        return;
    queue_.push_back(TrafficChunk {direction, time, bytes.toByteArray()});
    const bool wasBelow = queuedBytes_ < kEarlyWriteBytes;
    queuedBytes_ += bytes.size();
    if (wasBelow && queuedBytes_ >= kEarlyWriteBytes)
        wakeWriter();
}

void TrafficLog::waitForWork(std::unique_lock<std::mutex>& lock)
{
    // A pipe, not a timed condition variable: libstdc++'s steady-clock wait is invisible to
    // ThreadSanitizer (false race reports) and a system-clock one stalls when the wall clock
    // is set back. poll() times out on the monotonic clock; stop() and a full queue write a
    // byte to end the wait early.
    if (stopping_ || queuedBytes_ >= kEarlyWriteBytes)
        return;
    lock.unlock();
    pollfd wake {wakeRead_, POLLIN, 0};
    if (::poll(&wake, 1, kFlushIntervalMs) > 0) {
        char drain[64];
        while (::read(wakeRead_, drain, sizeof drain) > 0) { }
    }
    lock.lock();
}

void TrafficLog::wakeWriter()
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(wakeWrite_, &byte, 1);  // a full pipe is awake already
}

void TrafficLog::run()
{
    TrafficLineFormatter formatter;
    std::vector<TrafficChunk> batch;
    QByteArray text;
    for (;;) {
        bool last = false;
        {
            std::unique_lock lock(mutex_);
            waitForWork(lock);
            batch.swap(queue_);
            queuedBytes_ = 0;
            last = stopping_;
        }
        text.clear();
        for (const TrafficChunk& chunk : batch)
            formatter.append(chunk, text);
        batch.clear();
        QString reason;
        if ((!text.isEmpty() && !writeOut(text, reason)) || !fileStillThere(reason)) {
            fail(reason);
            return;
        }
        if (last)
            return;
    }
}

bool TrafficLog::writeOut(const QByteArray& text, QString& reason)
{
    qsizetype done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd_, text.constData() + done, static_cast<size_t>(text.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : ENOSPC;
            // Keep the file to its last whole line, so that what is there reads cleanly.
            const qsizetype lastNewline = done > 0 ? text.lastIndexOf('\n', done - 1) : -1;
            const std::int64_t kept = fileSize_.load(std::memory_order_relaxed) + lastNewline + 1;
            if (::ftruncate(fd_, kept) == 0)
                fileSize_.store(kept, std::memory_order_relaxed);
            else
                fileSize_.fetch_add(done, std::memory_order_relaxed);
            reason = tr("cannot write %1: %2").arg(path_, QString::fromLocal8Bit(std::strerror(error)));
            return false;
        }
        done += n;
    }
    fileSize_.fetch_add(done, std::memory_order_relaxed);
    return true;
}

bool TrafficLog::fileStillThere(QString& reason)
{
    // Writing on into a removed file or folder succeeds and loses everything: check the path
    // still names the file we hold open.
    struct stat atPath { };
    struct stat held { };
    if (::stat(QFile::encodeName(path_).constData(), &atPath) == 0 && ::fstat(fd_, &held) == 0
        && atPath.st_dev == held.st_dev && atPath.st_ino == held.st_ino)
        return true;
    reason = tr("%1 was removed or its folder is gone").arg(path_);
    return false;
}

void TrafficLog::fail(const QString& reason)
{
    {
        std::lock_guard lock(mutex_);
        error_ = reason;
        stopping_ = true;
        queue_.clear();
        queuedBytes_ = 0;
    }
    running_.store(false, std::memory_order_release);
    failurePending_.store(true);
}

void TrafficLog::closeFile()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

}  // namespace tessa
