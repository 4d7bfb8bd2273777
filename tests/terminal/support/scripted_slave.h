#pragma once
// A Modbus slave at the far end of a line that answers each register read as a script says:
// after a delay of its choosing, with bytes of its choosing (a good reply, one cut short, one
// of the wrong length). It notes every request heard and whether it came while a reply of its
// own was still due: two requests on the wire at once.
#include "raw_pty.h"
#include "support/form_controls.h"

#include <QByteArray>
#include <QFile>
#include <QList>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>

#include <poll.h>
#include <unistd.h>

namespace tessa::testing {

class ScriptedSlave {
public:
    struct Answer {
        int delayMs = 0;
        QByteArray bytes;  // nothing: no answer
    };
    // Request number n (from 0) and its 8 bytes: the answer.
    using Script = std::function<Answer(int n, const QByteArray& request)>;

    ScriptedSlave(const QString& path, Script script)
        : script_(std::move(script))
    {
        fd_ = orvane::testing::openRawLine(QFile::encodeName(path).toStdString(), true);
        if (fd_ < 0)
            return;
        thread_ = std::thread([this] { serve(); });
    }
    ~ScriptedSlave()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        if (fd_ >= 0)
            ::close(fd_);
    }
    ScriptedSlave(const ScriptedSlave&) = delete;
    ScriptedSlave& operator=(const ScriptedSlave&) = delete;

    bool ready() const { return fd_ >= 0; }
    std::atomic<int> heard {0};
    // Requests that arrived while an answer to an earlier one was still due.
    std::atomic<int> overlapping {0};
    QList<QByteArray> requests() const
    {
        std::lock_guard lock(mutex_);
        return requests_;
    }

private:
    void serve()
    {
        using clock = std::chrono::steady_clock;
        QByteArray pending;
        struct Due {
            clock::time_point at;
            QByteArray bytes;
        };
        QList<Due> due;
        while (!stop_) {
            pollfd line {fd_, POLLIN, 0};
            const bool readable = ::poll(&line, 1, 1) > 0;
            const auto now = clock::now();
            while (!due.isEmpty() && due.first().at <= now) {
                const QByteArray bytes = due.takeFirst().bytes;
                [[maybe_unused]] const ssize_t n = ::write(fd_, bytes.constData(), static_cast<size_t>(bytes.size()));
            }
            if (!readable)
                continue;
            char chunk[64];
            const ssize_t n = ::read(fd_, chunk, sizeof chunk);
            if (n <= 0)
                continue;
            pending.append(chunk, n);
            while (pending.size() >= 8) {
                const QByteArray request = pending.first(8);
                pending.remove(0, 8);
                if (!due.isEmpty())
                    ++overlapping;
                const int number = heard;
                {
                    std::lock_guard lock(mutex_);
                    requests_ << request;
                }
                const Answer answer = script_(number, request);
                ++heard;
                if (!answer.bytes.isEmpty())
                    due << Due {clock::now() + std::chrono::milliseconds(answer.delayMs), answer.bytes};
            }
        }
    }

    Script script_;
    int fd_ = -1;
    std::thread thread_;
    std::atomic<bool> stop_ {false};
    mutable std::mutex mutex_;
    QList<QByteArray> requests_;
};

}  // namespace tessa::testing
