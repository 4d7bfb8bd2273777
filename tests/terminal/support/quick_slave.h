#pragma once
// A Modbus slave at the far end of a line that answers a register read 1 ms after the request
// (faster than any poll of the terminal could see), on a thread of its own; and that can be
// told to stay silent, so that a test can send a late reply of its own at a moment it chooses.
#include "raw_pty.h"
#include "support/form_controls.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <atomic>
#include <chrono>
#include <thread>

#include <poll.h>
#include <unistd.h>

namespace tessa::testing {

class QuickSlave {
public:
    // Register address + 0x1000 is what slave 1 holds at each address.
    static std::uint16_t valueAt(int address) { return static_cast<std::uint16_t>(address + 0x1000); }

    explicit QuickSlave(const QString& path)
    {
        fd_ = orvane::testing::openRawLine(QFile::encodeName(path).toStdString(), true);
        if (fd_ < 0)
            return;
        thread_ = std::thread([this] { serve(); });
    }
    ~QuickSlave()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        if (fd_ >= 0)
            ::close(fd_);
    }
    QuickSlave(const QuickSlave&) = delete;
    QuickSlave& operator=(const QuickSlave&) = delete;

    bool ready() const { return fd_ >= 0; }
    // Silent slaves hear requests but do not answer them.
    void setSilent(bool silent) { silent_ = silent; }
    // Written now, from the caller's thread, as a reply of the slave's.
    void send(const QByteArray& bytes)
    {
        [[maybe_unused]] const ssize_t n = ::write(fd_, bytes.constData(), static_cast<size_t>(bytes.size()));
    }
    std::atomic<int> requests {0};

    // A read reply for count registers from address (without CRC the caller adds none).
    static QByteArray readReply(int address, int count, std::uint16_t (*value)(int) = valueAt)
    {
        QByteArray frame {"\x01\x03", 2};
        frame.append(static_cast<char>(2 * count));
        for (int i = 0; i < count; ++i) {
            const std::uint16_t v = value(address + i);
            frame.append(static_cast<char>(v >> 8));
            frame.append(static_cast<char>(v & 0xFF));
        }
        return withCrc(frame);
    }

private:
    void serve()
    {
        QByteArray request;
        while (!stop_) {
            pollfd line {fd_, POLLIN, 0};
            if (::poll(&line, 1, 20) <= 0)
                continue;
            char chunk[64];
            const ssize_t n = ::read(fd_, chunk, sizeof chunk);
            if (n <= 0)
                continue;
            request.append(chunk, n);
            while (request.size() >= 8) {  // a read request: slave, 03, address, count, CRC
                const int address = (static_cast<quint8>(request[2]) << 8) | static_cast<quint8>(request[3]);
                const int count = (static_cast<quint8>(request[4]) << 8) | static_cast<quint8>(request[5]);
                request.remove(0, 8);
                ++requests;
                if (silent_)
                    continue;
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                send(readReply(address, count));
            }
        }
    }

    int fd_ = -1;
    std::thread thread_;
    std::atomic<bool> stop_ {false};
    std::atomic<bool> silent_ {false};
};

}  // namespace tessa::testing
