// A FIFO nobody writes to, made with mkfifo, for the file choices of the window. Opening it for
// reading the ordinary way waits for a writer, and the window with it: should the code under
// test do that, a writer comes after 10 s, so that the test fails (and says so) instead of
// hanging.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QString>
#include <QFile>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace tessa::testing {

class IdleFifo {
public:
    explicit IdleFifo(const QString& path)
        : path_(QFile::encodeName(path))
    {
        made_ = ::mkfifo(path_.constData(), 0600) == 0;
    }
    ~IdleFifo() { ::unlink(path_.constData()); }
    IdleFifo(const IdleFifo&) = delete;
    IdleFifo& operator=(const IdleFifo&) = delete;

    bool made() const { return made_; }

    // Runs `action` on this thread; true when it returned with no writer having come.
    bool returnsWithoutAWriter(const std::function<void()>& action)
    {
        bool done = false, rescued = false;
        std::mutex mutex;
        std::condition_variable changed;
        std::thread rescue([&] {
            std::unique_lock<std::mutex> lock(mutex);
            if (changed.wait_for(lock, std::chrono::seconds(10), [&] { return done; }))
                return;
            const int fd = ::open(path_.constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                rescued = true;
                [[maybe_unused]] const ssize_t n = ::write(fd, "x\r\n", 3);
                ::close(fd);
            }
        });
        action();
        {
            std::lock_guard<std::mutex> lock(mutex);
            done = true;
        }
        changed.notify_one();
        rescue.join();
        return !rescued;
    }

private:
    QByteArray path_;
    bool made_ = false;
};

}  // namespace tessa::testing
