#pragma once

#include "chunk/received_chunk.h"

#include <QtGlobal>

#include <sys/types.h>

#include <atomic>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace tessa {

// Reads a line's descriptor on a thread of its own: each read becomes one chunk, stamped as it
// is taken and queued until take(). The window's thread is thus not woken per chunk; it takes
// the queue on its receive tick, or at once when wake() asks it to.
//
// The queue holds at most kMostQueuedBytes; beyond that the reader stops reading, so that a
// flood waits in the line's (kernel's) buffer and holds the sender back, and resumes on take().
// A line that hangs up or fails (a pty whose other side closed, an adapter pulled) ends the
// reading and is reported by wake() once; lost() then says so.
class LineReader {
public:
    static constexpr qint64 kMostQueuedBytes = 1024 * 1024;
    // While nobody needs chunks at once, the bytes that follow the first of a chunk within this
    // time (the window's receive tick) join it, stamped with the first one's arrival: a steady
    // line then wakes the reader about twice per receive tick instead of once per write. take()
    // ends a gathering at once.
    static constexpr int kGatherMs = 100;
    // A gathering ends once kGatherEndBytes wait in the line: the kernel's line buffer is small
    // (4 KiB on Linux) and a UART with no flow control cannot be held back. It looks at the line
    // every slice: the time kGatherSliceBytes take at the line's rate (so at most 3 KiB wait at
    // a look), or kGatherSliceMs when the rate is not known. At 115200 baud and below the slice
    // is the whole gathering.
    static constexpr int kGatherSliceMs = 20;
    static constexpr int kGatherEndBytes = 1024;
    static constexpr int kGatherSliceBytes = 2048;

    // wake runs on the reader's thread: after a chunk is queued while promptly() is on and no
    // wake is pending since the last take(), and once when the line is lost.
    explicit LineReader(std::function<void()> wake);
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // Starts reading descriptor (non-blocking, owned from now on: closed by stop()). False when
    // the thread's wake-up descriptor cannot be made (errno says why); descriptor is closed
    // then too.
    bool start(int descriptor);
    // Stops the thread and closes the descriptor; chunks still queued are dropped.
    void stop();
    bool running() const { return thread_.joinable(); }

    // Bytes a second the line can bring (0: not known), for the gathering's slice.
    void setLineRate(int bytesPerSecond) { lineRate_ = bytesPerSecond; }
    // Milliseconds between looks at the line while a chunk gathers.
    int gatherSliceMs() const;

    // Whether each chunk wakes at once (else the chunks wait for take()).
    void setPromptly(bool on) { promptly_ = on; }
    bool promptly() const { return promptly_; }

    // Every chunk queued, oldest first; the queue is empty after.
    std::deque<ReceivedChunk> take();
    // Bytes queued and not yet taken.
    qint64 queuedBytes() const;
    // Bytes that have arrived and are not yet taken: queued, or still in the line's (kernel's)
    // buffer because the thread has not come round to reading them.
    qint64 arrivedBytes() const;
    bool lost() const { return lost_; }

private:
    // Bytes in the line's (kernel's) buffer, not yet read.
    int waitingInLine() const;
    void run();
    void signal();
    // Reads what the line holds into the queue (under mutex_); returns read()'s result and
    // leaves its errno in readError.
    ssize_t readIntoQueue(int& readError);

    std::function<void()> wake_;
    std::thread thread_;
    int descriptor_ = -1;
    int wakeDescriptor_ = -1;  // eventfd: stop, or room in the queue again
    mutable std::mutex mutex_;
    std::deque<ReceivedChunk> queue_;
    qint64 queuedBytes_ = 0;
    bool wakePending_ = false;
    bool gathering_ = false;  // the first bytes of a chunk have come, at gatherStart_
    ReceivedChunk gatherStart_;
    std::atomic<bool> promptly_ = false;
    std::atomic<int> lineRate_ = 0;
    std::atomic<bool> stopping_ = false;
    std::atomic<bool> lost_ = false;
};

}  // namespace tessa
