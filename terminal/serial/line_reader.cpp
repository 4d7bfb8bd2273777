#include "serial/line_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <utility>

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace tessa {

LineReader::LineReader(std::function<void()> wake)
    : wake_(std::move(wake))
{
}

LineReader::~LineReader()
{
    stop();
}

bool LineReader::start(int descriptor)
{
    stop();
    wakeDescriptor_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeDescriptor_ < 0) {
        const int error = errno;
        ::close(descriptor);
        errno = error;
        return false;
    }
    descriptor_ = descriptor;
    stopping_ = false;
    lost_ = false;
    wakePending_ = false;
    thread_ = std::thread([this] { run(); });
    return true;
}

void LineReader::stop()
{
    if (thread_.joinable()) {
        stopping_ = true;
        signal();
        thread_.join();
    }
    if (descriptor_ >= 0)
        ::close(descriptor_);
    if (wakeDescriptor_ >= 0)
        ::close(wakeDescriptor_);
    descriptor_ = -1;
    wakeDescriptor_ = -1;
    const std::lock_guard lock(mutex_);
    queue_.clear();
    queuedBytes_ = 0;
}

void LineReader::signal()
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeDescriptor_, &one, sizeof one);
}

ssize_t LineReader::readIntoQueue(int& readError)
{
    char buffer[65536];
    const ssize_t got = ::read(descriptor_, buffer, sizeof buffer);
    readError = errno;
    if (got > 0) {
        ReceivedChunk chunk = ReceivedChunk::stampedNow(QByteArray(buffer, got));
        if (gathering_) {
            chunk.wallMs = gatherStart_.wallMs;
            chunk.steadyUs = gatherStart_.steadyUs;
        }
        queue_.push_back(std::move(chunk));
        queuedBytes_ += got;
    }
    gathering_ = false;
    return got;
}

std::deque<ReceivedChunk> LineReader::take()
{
    std::deque<ReceivedChunk> taken;
    bool wasFull = false;
    bool wasGathering = false;
    {
        const std::lock_guard lock(mutex_);
        // The bytes of a chunk still gathering belong to this take; the reader stops waiting
        // for them, so that the next bytes start a chunk of their own, stamped as they come.
        wasGathering = gathering_;
        if (gathering_) {
            int readError = 0;
            readIntoQueue(readError);
        }
        wasFull = queuedBytes_ >= kMostQueuedBytes;
        taken.swap(queue_);
        queuedBytes_ = 0;
        wakePending_ = false;
    }
    if ((wasFull || wasGathering) && thread_.joinable())
        signal();
    return taken;
}

int LineReader::gatherSliceMs() const
{
    const int rate = lineRate_;
    if (rate <= 0)
        return kGatherSliceMs;
    return static_cast<int>(std::clamp<qint64>(qint64 {kGatherSliceBytes} * 1000 / rate, 1, kGatherMs));
}

qint64 LineReader::queuedBytes() const
{
    const std::lock_guard lock(mutex_);
    return queuedBytes_;
}

int LineReader::waitingInLine() const
{
    int inLine = 0;
    if (descriptor_ < 0 || ::ioctl(descriptor_, FIONREAD, &inLine) != 0)
        return 0;
    return inLine;
}

qint64 LineReader::arrivedBytes() const
{
    const std::lock_guard lock(mutex_);
    return queuedBytes_ + waitingInLine();
}

void LineReader::run()
{
    while (!stopping_) {
        bool full = false;
        {
            const std::lock_guard lock(mutex_);
            full = queuedBytes_ >= kMostQueuedBytes;
        }
        pollfd watched[2] = {{wakeDescriptor_, POLLIN, 0}, {descriptor_, static_cast<short>(full ? 0 : POLLIN), 0}};
        if (::poll(watched, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (watched[0].revents & POLLIN) {
            std::uint64_t count = 0;
            [[maybe_unused]] const ssize_t got = ::read(wakeDescriptor_, &count, sizeof count);
            continue;  // stop, or room again: look at the flags before the line
        }
        const short line = watched[1].revents;
        if (line == 0)
            continue;
        bool hungUp = (line & (POLLHUP | POLLERR | POLLNVAL)) && !(line & POLLIN);
        if (line & POLLIN) {
            if (!promptly_ && !(line & (POLLHUP | POLLERR)) && waitingInLine() < kGatherEndBytes) {
                {
                    const std::lock_guard lock(mutex_);
                    gathering_ = true;
                    gatherStart_ = ReceivedChunk::stampedNow({});
                }
                // A stop, room again or a take ends the wait early. So does a fast line: the
                // kernel's line buffer is small (4 KiB on Linux), and a UART with no flow
                // control cannot be held back, so a gathering that slept through 921600 baud
                // would lose bytes. It looks at the line every slice instead (at 115200 baud
                // the slice is the whole gathering: one wake at its end).
                const int slice = gatherSliceMs();
                for (int waited = 0; waited < kGatherMs; waited += slice) {
                    pollfd wake {wakeDescriptor_, POLLIN, 0};
                    if (::poll(&wake, 1, std::min(slice, kGatherMs - waited)) > 0) {
                        std::uint64_t count = 0;
                        [[maybe_unused]] const ssize_t got = ::read(wakeDescriptor_, &count, sizeof count);
                        break;
                    }
                    if (waitingInLine() >= kGatherEndBytes)
                        break;
                }
            }
            // Read under the lock, so that arrivedBytes() never sees a chunk both in the line
            // and in the queue, or in neither.
            ssize_t got = 0;
            int readError = 0;
            bool wakeNow = false;
            {
                const std::lock_guard lock(mutex_);
                const bool gathered = gathering_;
                got = readIntoQueue(readError);
                // Bytes a take() already read leave nothing here; that is no hang-up.
                if (!gathered && got <= 0 && (line & (POLLHUP | POLLERR)) == 0)
                    continue;
                if (got > 0) {
                    wakeNow = promptly_ && !wakePending_;
                    wakePending_ = wakePending_ || wakeNow;
                }
            }
            if (got > 0) {
                if (wakeNow)
                    wake_();
                continue;
            }
            // A raw line with nothing to read gives 0 or EAGAIN; a hung-up one fails (EIO) or
            // reads 0 with the hang-up in poll.
            if (got == 0)
                hungUp = (line & (POLLHUP | POLLERR | POLLNVAL)) != 0;
            else
                hungUp = readError != EAGAIN && readError != EWOULDBLOCK && readError != EINTR;
        }
        if (hungUp) {
            lost_ = true;
            wake_();
            return;
        }
    }
}

}  // namespace tessa
